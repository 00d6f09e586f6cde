// SPDX-License-Identifier: MIT
#include "ui/language.h"

#include <QSettings>

namespace zeva::ui {
namespace {

Language& current() {
    static Language language = Language::Chinese;
    return language;
}

}  // namespace

Language windowLanguage() { return current(); }

void setWindowLanguage(Language language) { current() = language; }

std::optional<Language> languageNamed(const QString& name) {
    if (name == QLatin1String("zh")) return Language::Chinese;
    if (name == QLatin1String("en")) return Language::English;
    return std::nullopt;
}

Language settingsLanguage() {
    const QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("zeva"),
                             QStringLiteral("zeva"));
    return languageNamed(settings.value(QStringLiteral("language")).toString())
        .value_or(Language::Chinese);
}

QString uiText(const char* english) {
    return QString::fromUtf8(translate(windowLanguage(), english));
}

}  // namespace zeva::ui
