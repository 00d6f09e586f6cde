// SPDX-License-Identifier: MIT
// The fixture of the window tests: the main window shown, and a stray message box caught as
// a recorded error instead of blocking the test; helpers that find controls by object name
// and drive them with real events.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QRadioButton>
#include <QTest>
#include <memory>

#include "ui/errors.h"
#include "ui/form1.h"
#include "ui/side_windows.h"

namespace zeva::ui {

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale::c());
        setErrorReporter([this](QWidget*, const QString& message) { errors.append(message); });
        form = std::make_unique<Form1>();
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    void TearDown() override {
        setErrorReporter({});
        form.reset();
    }

    template <class W = QLineEdit>
    W* find(const char* name, QWidget* in = nullptr) {
        W* widget = (in ? in : form.get())->findChild<W*>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QString text(const char* name) { return find(name)->text(); }
    // An option button takes clicks on its mark and caption, at its left.
    void click(const char* name, QWidget* in = nullptr) {
        QAbstractButton* button = find<QAbstractButton>(name, in);
        const QPoint at = qobject_cast<QRadioButton*>(button) != nullptr
                              ? QPoint(6, button->height() / 2)
                              : button->rect().center();
        QTest::mouseClick(button, Qt::LeftButton, {}, at);
    }
    void type(const char* name, const QString& typed, QWidget* in = nullptr) {
        QLineEdit* box = find(name, in);
        box->clear();
        QTest::keyClicks(box, typed);
    }
    void chooseDiameter(int row) { find<QListWidget>("List1")->setCurrentRow(row); }

    std::unique_ptr<Form1> form;
    QStringList errors;
};

// The main window's tests, which may open the side windows: they are closed after each.
class Windows : public MainWindowTest {
protected:
    void TearDown() override {
        MainWindowTest::TearDown();
        delete converterWindow().data();
        delete webWindow().data();
    }
};

}  // namespace zeva::ui
