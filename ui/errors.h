// SPDX-License-Identifier: MIT
// How the windows tell the user that an operation failed: a message box in Chinese naming
// the error and the box that caused it. Tests replace the reporter so nothing blocks.
#pragma once

#include <QString>
#include <functional>

#include "engine/numbers.h"
#include "engine/result.h"
#include "i18n/catalogue.h"

class QLabel;
class QWidget;

namespace zeva::ui {

using ErrorReporter = std::function<void(QWidget* window, const QString& message)>;

// Replaces the reporter; an empty one restores the message box.
void setErrorReporter(ErrorReporter reporter);
void reportError(QWidget* window, const QString& message);

// "类型不匹配：输入频率" and the like: Chinese as the main window speaks, or the language of the
// window the error is in.
[[nodiscard]] QString errorMessage(const Error& error, Language language = Language::Chinese);

// The separators of the user's locale, for the engine's conversions.
[[nodiscard]] NumberFormat localNumberFormat();

// A note in a window: it wraps, its text can be selected and copied, tests find it by name.
[[nodiscard]] QLabel* wrappingLabel(QWidget* parent, const char* name);

}  // namespace zeva::ui
