// SPDX-License-Identifier: MIT
#include "ui/language.h"

#include <QSettings>
#include <atomic>

namespace zeva::ui {
namespace {

// Set before the windows open, read by the analysis' worker threads too.
std::atomic<Language>& current() {
    static std::atomic<Language> language = Language::Chinese;
    return language;
}

}  // namespace

Language windowLanguage() { return current().load(); }

void setWindowLanguage(Language language) { current().store(language); }

std::optional<Language> languageNamed(const QString& name) {
    if (name == QLatin1String("zh")) return Language::Chinese;
    if (name == QLatin1String("en")) return Language::English;
    return std::nullopt;
}

QSettings windowSettings() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("zeva"),
                     QStringLiteral("zeva"));
}

Language settingsLanguage() {
    return languageNamed(windowSettings().value(QStringLiteral("language")).toString())
        .value_or(Language::Chinese);
}

QString uiText(const char* english) {
    return QString::fromUtf8(translate(windowLanguage(), english));
}

}  // namespace zeva::ui
