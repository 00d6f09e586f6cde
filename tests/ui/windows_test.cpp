// SPDX-License-Identifier: MIT
// The windows driven as a user drives them: clicks and typing on the real widgets, found by
// object name, under the offscreen platform. A stray message box fails the test instead of
// blocking it: the error reporter is replaced for every test.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <algorithm>
#include <memory>

#include "engine/catalogue.h"
#include "tests/ui/main_window_test.h"
#include "ui/errors.h"
#include "ui/form1.h"
#include "ui/side_windows.h"
#include "ui/startup.h"

namespace zeva::ui {
namespace {

TEST_F(Windows, opens_in_its_initial_state) {
    EXPECT_EQ(form->windowTitle(), "ZEVA");
    EXPECT_EQ(text("Text3"), "0");
    EXPECT_EQ(text("Text6"), "1.0");
    EXPECT_EQ(text("Text40"), QString::fromUtf8("英尺"));
    EXPECT_TRUE(text("Text10").isEmpty());
    EXPECT_FALSE(find("Text32")->isVisible());
    EXPECT_EQ(find<QListWidget>("List1")->currentRow(), -1);
    EXPECT_EQ(find<QListWidget>("List1")->count(), 22);
    EXPECT_EQ(find<QListWidget>("List1")->item(11)->text(), "5/8         15.9mm ");
    for (const char* option : {"Option1", "Option2", "Option3", "Option4"}) {
        EXPECT_FALSE(find<QRadioButton>(option)->isChecked()) << option;
    }
    EXPECT_EQ(form->size(), QSize(592, 395));
    EXPECT_EQ(find("Text10")->geometry(), QRect(96, 176, 73, 19));
}

TEST_F(Windows, typical_long_boom_design_in_feet_then_centimetres) {
    click("Option3");
    chooseDiameter(10);  // 1/2 inch
    type("Text3", "144");
    click("Command1");
    EXPECT_TRUE(errors.isEmpty()) << errors.join(";").toStdString();
    EXPECT_EQ(text("Text10"), "3.3118");
    EXPECT_EQ(text("Text48"), "2.6791");
    EXPECT_EQ(text("Text54"), "1.7350");
    EXPECT_FALSE(find("Text32")->isVisible());
    EXPECT_EQ(text("Text3"), "144");  // the raised frequency is not shown

    click("Command2");
    EXPECT_EQ(text("Text40"), QString::fromUtf8("厘米"));
    EXPECT_EQ(text("Text10"), "100.94");
    click("Command1");
    EXPECT_EQ(text("Text40"), QString::fromUtf8("英尺"));
    EXPECT_EQ(text("Text10"), "3.3118");
}

// Where the locale writes a decimal comma, the window's own taper presets are written in it,
// and Calculate works as the window opens.
TEST_F(Windows, the_taper_presets_read_back_in_a_decimal_comma_locale) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    form = std::make_unique<Form1>();
    form->show();
    EXPECT_EQ(find<QLineEdit>("Text6")->text(), "1,0");
    EXPECT_EQ(find<QLineEdit>("Text7")->text(), "1,0");
    click("Option1");
    chooseDiameter(14);
    type("Text3", QStringLiteral("14,2"));
    click("Command1");
    QLocale::setDefault(before);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(';').toStdString();
    EXPECT_EQ(text("Text10"), "34,047");
}

TEST_F(Windows, calculate_at_start_reports_and_changes_nothing) {
    click("Command1");
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0], QString::fromUtf8("频率必须大于零：输入频率"));
    EXPECT_TRUE(text("Text10").isEmpty());
    EXPECT_TRUE(find("Text32")->isVisible());  // the prompt follows the missing diameter
    EXPECT_TRUE(form->isVisible());
}

TEST_F(Windows, a_failed_calculate_keeps_the_centimetres_and_their_unit) {
    click("Option1");
    chooseDiameter(14);
    type("Text3", "14.2");
    click("Command1");
    click("Command2");
    const QString centimetres = text("Text10");
    const DesignState before = form->design();
    type("Text3", "abc");
    click("Command1");
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0], QString::fromUtf8("类型不匹配：输入频率"));
    EXPECT_EQ(text("Text10"), centimetres);
    EXPECT_EQ(text("Text40"), QString::fromUtf8("厘米"));
    EXPECT_EQ(form->design(), before);
}

TEST_F(Windows, metric_before_any_calculate_keeps_feet) {
    click("Command2");
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(text("Text40"), QString::fromUtf8("英尺"));
}

TEST_F(Windows, a_zero_smallest_diameter_names_its_box) {
    click("Option1");
    type("Text3", "14.2");
    type("Text7", "0");
    click("Command1");
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0], QString::fromUtf8("除数为零：最小直径"));
}

TEST_F(Windows, result_boxes_hold_six_characters_and_inputs_any) {
    type("Text10", "123.4567");
    EXPECT_EQ(text("Text10"), "123.45");
    type("Text3", "14.200000001");
    EXPECT_EQ(text("Text3"), "14.200000001");
}

TEST_F(Windows, focus_starts_on_calculate_and_tab_follows_the_tab_indices) {
    QApplication::setActiveWindow(form.get());
    ASSERT_NE(form->focusWidget(), nullptr);
    EXPECT_EQ(form->focusWidget()->objectName(), "Command1");
    // The option group is one stop, entered at its first button while none is selected;
    // the captions are passed by.
    const QStringList expected =
        QString(
            "Text3 Option1 List1 Text6 Text7 Text10 Text11 Text12 Text17 Text19 Text21 "
            "Text23 Text24 Text25 Text26 Text27 Text33 Text34 Text35 Text36 Text41 Text42 "
            "Text43 Text44 Text48 Text50 Text51 Text52 Text53 Text54 Command2 Command3 "
            "Command4 Command5 Command6 Command1")
            .split(' ');
    QStringList visited;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(visited, expected);
}

TEST_F(Windows, resizing_and_editing_a_caption_move_and_change_nothing) {
    click("Option1");
    chooseDiameter(14);
    type("Text3", "14.2");
    click("Command1");
    const QRect before = find("Text54")->geometry();
    form->resize(800, 600);
    EXPECT_EQ(find("Text54")->geometry(), before);
    form->resize(300, 200);
    EXPECT_EQ(find("Text54")->geometry(), before);
    type("Text13", "x");
    click("Command1");
    EXPECT_EQ(text("Text10"), "34.047");
    EXPECT_EQ(text("Text23"), "18.985");
}

TEST_F(Windows, the_prompt_shows_while_no_diameter_is_chosen) {
    click("Option1");
    type("Text3", "14.2");
    click("Command1");
    EXPECT_TRUE(find("Text32")->isVisible());
    EXPECT_EQ(text("Text10"), "34.691");  // b = 0: the thinnest length factor
    chooseDiameter(14);
    EXPECT_TRUE(find("Text32")->isVisible());  // only the next Calculate hides it
    EXPECT_EQ(text("Text10"), "34.691");
    click("Command1");
    EXPECT_FALSE(find("Text32")->isVisible());
    EXPECT_EQ(text("Text10"), "34.047");
}

// Tabbing into the catalogue makes its first row current without selecting it: the
// design must not change, and the prompt still asks for a diameter.
TEST_F(Windows, focus_passing_through_the_catalogue_chooses_no_diameter) {
    QApplication::setActiveWindow(form.get());
    click("Option1");
    auto* list = find<QListWidget>("List1");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), list);
    QTest::keyClick(list, Qt::Key_Tab);
    EXPECT_NE(QApplication::focusWidget(), list);
    type("Text3", "144");
    click("Command1");
    EXPECT_EQ(text("Text10"), "3.4209");  // b = 0, as without passing through the list
    EXPECT_TRUE(list->selectedItems().isEmpty());
    EXPECT_TRUE(find("Text32")->isVisible());

    // Keys that move the selection choose; Ctrl and a click cannot take it away.
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    ASSERT_EQ(list->selectedItems().size(), 1);
    const int row = list->row(list->selectedItems().first());
    const QRect entry = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, entry.center());
    ASSERT_EQ(list->selectedItems().size(), 1);
    EXPECT_EQ(list->row(list->selectedItems().first()), row);
    EXPECT_EQ(form->design().b, DiameterCatalogue[static_cast<std::size_t>(row)].diameter);
}

// Qt's own texts are Chinese like the rest: the message box's button, the context menu.
TEST_F(Windows, qt_speaks_chinese_and_starts_without_its_translation) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("ZEVA"), QStringLiteral("x"),
                    QMessageBox::Ok);
    EXPECT_EQ(box.button(QMessageBox::Ok)->text(), QString::fromUtf8("确定"));
    std::unique_ptr<QMenu> menu(find("Text3")->createStandardContextMenu());
    QStringList entries;
    for (const QAction* action : menu->actions()) entries << action->text();
    EXPECT_TRUE(entries.join(' ').contains(QString::fromUtf8("粘贴")))
        << entries.join(' ').toStdString();
    EXPECT_FALSE(loadQtTranslation(QStringLiteral("/nonexistent")));
}

// The multi-line captions behave as the one-line ones: Tab moves on, a paste is plain.
TEST_F(Windows, multi_line_captions_pass_tab_on_and_paste_plain_text) {
    QApplication::setActiveWindow(form.get());
    for (const char* name : {"Text4", "Text5", "Text22"}) {
        auto* caption = find<QTextEdit>(name);
        const QString before = caption->toPlainText();
        QTest::mouseClick(caption->viewport(), Qt::LeftButton, {}, QPoint(3, 3));
        ASSERT_EQ(QApplication::focusWidget(), caption) << name;
        QTest::keyClick(caption, Qt::Key_Tab);
        EXPECT_NE(QApplication::focusWidget(), caption) << name;
        EXPECT_EQ(caption->toPlainText(), before) << name;
    }
    auto* caption = find<QTextEdit>("Text4");
    auto* rich = new QMimeData;
    rich->setHtml(QStringLiteral("<b style=\"color:red\">X</b>"));
    rich->setText(QStringLiteral("X"));
    QApplication::clipboard()->setMimeData(rich);
    caption->setFocus();
    caption->moveCursor(QTextCursor::End);
    QTest::keyClick(caption, Qt::Key_V, Qt::ControlModifier);
    ASSERT_TRUE(caption->toPlainText().endsWith('X'));
    QTextCursor pasted = caption->textCursor();
    EXPECT_NE(pasted.charFormat().fontWeight(), QFont::Bold);
    EXPECT_NE(pasted.charFormat().foreground().color(), QColor(Qt::red));
}

TEST_F(Windows, option_buttons_form_one_group) {
    click("Option1");
    click("Option2");
    EXPECT_TRUE(find<QRadioButton>("Option2")->isChecked());
    EXPECT_FALSE(find<QRadioButton>("Option1")->isChecked());
}

}  // namespace
}  // namespace zeva::ui
