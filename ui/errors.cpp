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
const char* captionOf(Input input) {
    switch (input) {
        case Input::Frequency:
            return "输入频率";
        case Input::LargestDiameter:
            return "最大直径";
        case Input::SmallestDiameter:
            return "最小直径";
        case Input::TaperDiameters:
            return "最大和最小直径";
        case Input::DecimalFeet:
            return "十进制英尺";
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

QString errorMessage(const Error& error) {
    QString message = QString::fromUtf8(translate(zeva::Language::Chinese, describe(error.kind)));
    if (const char* caption = captionOf(error.input)) {
        message += QStringLiteral("：") + QString::fromUtf8(caption);
    }
    return message;
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
