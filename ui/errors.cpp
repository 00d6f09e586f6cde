// SPDX-License-Identifier: MIT
#include "ui/errors.h"

#include "i18n/catalogue.h"

#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <utility>

namespace zeva::ui {
namespace {

ErrorReporter& reporter() {
    static ErrorReporter current;
    return current;
}

// The caption of the box an error came from, as the window labels it.
const char* captionOf(Input input, Language language) {
    switch (input) {
        case Input::Frequency:
            return translate(language, "box", "frequency");
        case Input::LargestDiameter:
            return translate(language, "box", "largest diameter");
        case Input::SmallestDiameter:
            return translate(language, "box", "smallest diameter");
        case Input::TaperDiameters:
            return translate(language, "box", "largest and smallest diameters");
        case Input::DecimalFeet:
            return translate(language, "box", "decimal feet");
        case Input::None:
            break;
    }
    return nullptr;
}

}  // namespace

void setErrorReporter(ErrorReporter replacement) { reporter() = std::move(replacement); }

void reportError(QWidget* window, const QString& message) {
    if (reporter()) {
        reporter()(window, message);
        return;
    }
    QMessageBox::critical(window, QStringLiteral("ZEVA"), message);
}

QString errorMessage(const Error& error, Language language) {
    const char* kind = translate(language, describe(error.kind));
    const char* caption = captionOf(error.input, language);
    return QString::fromStdString(caption != nullptr ? say(language, "%1: %2", {kind, caption})
                                                     : std::string(kind));
}

NumberFormat localNumberFormat() {
    const QLocale locale;
    return {locale.decimalPoint().toStdString(), locale.groupSeparator().toStdString()};
}

QLabel* wrappingLabel(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace zeva::ui
