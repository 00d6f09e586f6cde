// SPDX-License-Identifier: MIT
#include "ui/startup.h"

#include "ui/language.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QTranslator>

namespace zeva::ui {

void configureApplication() {
    // The layouts name "MS Sans Serif"; stand in an installed sans face with Chinese glyphs.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("WenQuanYi Micro Hei"),
                                QStringLiteral("Noto Sans CJK SC"), QStringLiteral("DejaVu Sans")});
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(8.25);  // the classic default size of that face
    // Unhinted: the Chinese face carries no hints of its own, and FreeType's autohinter on its
    // glyphs took about a quarter of the main window's start-up; at the windows' sizes the
    // text looks the same either way.
    font.setHintingPreference(QFont::PreferNoHinting);
    QApplication::setFont(font);
    // Qt's own texts (its buttons, the text boxes' menu) in the windows' language whatever the
    // user's locale: Chinese unless English was asked for.
    if (windowLanguage() == Language::Chinese) {
        loadQtTranslation(QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    }
}

bool loadQtTranslation(const QString& folder) {
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_zh_CN"), folder)) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

}  // namespace zeva::ui
