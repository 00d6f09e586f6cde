// SPDX-License-Identifier: MIT
// What the program sets up once before its first window: the stand-in for the layouts'
// font face, the default font of the windows, and Qt's own texts in the windows' language.
#pragma once

class QString;

namespace zeva::ui {

void configureApplication();

// Loads Qt's Chinese texts (its buttons' "确定", the text boxes' context menu) from the
// folder; false, and nothing changed, where the file is missing.
bool loadQtTranslation(const QString& folder);

}  // namespace zeva::ui
