// SPDX-License-Identifier: MIT
// The two side windows: the decimal-feet converter Form2 and the web page window web.
// Each exists at most once; it is created on first use, shown modeless with no owner, and
// built afresh, with its initial texts, when shown again after the user closed it.
#pragma once

#include <QLabel>
#include <QPointer>
#include <QWidget>

namespace zeva::ui {

class Form2 final : public QWidget {
public:
    explicit Form2(QWidget* parent = nullptr);

private:
    void convert();
};

class WebWindow final : public QWidget {
public:
    explicit WebWindow(QWidget* parent = nullptr);
};

// The author's page; the command adds the final "/".
inline constexpr char kWebAddress[] = "https://www.arrl.org";

// The program-wide references: empty until first use, and again once a window is closed.
QPointer<Form2>& converterWindow();
QPointer<WebWindow>& webWindow();

void showConverter();
void showWebWindow();

}  // namespace zeva::ui
