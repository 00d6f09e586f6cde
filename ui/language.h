// SPDX-License-Identifier: MIT
// The language of the design window, the converter and what they say: Chinese unless the user
// asks for English, by zeva --lang en or by "language=en" in the settings. The main window
// keeps its Chinese captions, whose layout is measured for them, and its Chinese messages;
// Qt's own texts (the buttons of a message box, a text box's menu) follow the windows'
// language.
#pragma once

#include <QSettings>
#include <QString>
#include <optional>

#include "i18n/catalogue.h"

namespace zeva::ui {

[[nodiscard]] Language windowLanguage();
void setWindowLanguage(Language language);

// "zh" or "en"; nothing for any other text.
[[nodiscard]] std::optional<Language> languageNamed(const QString& name);

// Where the windows keep what the user set (the build controls, the language): the user's
// configuration of the program.
[[nodiscard]] QSettings windowSettings();

// The language that "language" in those settings names; Chinese where it names none or
// another.
[[nodiscard]] Language settingsLanguage();

// A text of the windows in their language: the English written in the source, or its
// translation from the catalogue.
[[nodiscard]] QString uiText(const char* english);

}  // namespace zeva::ui
