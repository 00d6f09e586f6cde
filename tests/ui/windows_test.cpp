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

class Windows : public MainWindowTest {
protected:
    void TearDown() override {
        MainWindowTest::TearDown();
        delete converterWindow().data();
        delete webWindow().data();
    }
};

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

TEST_F(Windows, converter_opens_once_and_converts) {
    click("Command5");
    click("Command5");
    ASSERT_FALSE(converterWindow().isNull());
    const QWidgetList windows = QApplication::topLevelWidgets();
    EXPECT_EQ(std::count_if(windows.begin(), windows.end(),
                            [](QWidget* w) { return w->objectName() == "Form2"; }),
              1);
    Form2* converter = converterWindow().data();
    EXPECT_EQ(converter->windowTitle(), QString::fromUtf8("计算"));
    click("Command1", converter);
    EXPECT_EQ(find("Text6", converter)->text(), "6.3359");
    EXPECT_EQ(find("Text8", converter)->text(), "6    21/64");

    type("Text2", "", converter);
    click("Command1", converter);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0], QString::fromUtf8("类型不匹配：十进制英尺"));
    EXPECT_EQ(find("Text6", converter)->text(), "6.3359");
}

// The program ends when its last window closes, not with the main window: run the event
// loop as the program does, close the main window, then the converter.
TEST_F(Windows, closing_the_main_window_leaves_an_open_side_window_open) {
    click("Command5");
    const QPointer<Form2> converter = converterWindow();
    ASSERT_FALSE(converter.isNull());
    bool lastWindowClosed = false;
    bool converterOpenAfterMainClosed = false;
    QObject watcher;
    QObject::connect(qApp, &QGuiApplication::lastWindowClosed, &watcher,
                     [&lastWindowClosed] { lastWindowClosed = true; });

    QTimer::singleShot(0, &watcher, [&] { form->close(); });
    QTimer::singleShot(50, &watcher, [&] {
        converterOpenAfterMainClosed = !converter.isNull() && converter->isVisible();
        if (converter) converter->close();
    });
    QTimer::singleShot(5000, &watcher, [] { QApplication::exit(1); });  // never hang
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(converterOpenAfterMainClosed);
    EXPECT_TRUE(lastWindowClosed);
}

TEST_F(Windows, converter_shows_the_worked_readings) {
    click("Command5");
    Form2* converter = converterWindow().data();
    const struct {
        const char* input;
        const char* feet;
        const char* inches;
        const char* fraction;
    } readings[] = {
        {"12.3456", "12", "4.1472", "4   9/64"},
        {"-4.528", "-5", "5.6640", "5   43/64"},
        {"5", "5", "0", "0"},
        {"4.5", "4", "6", "6"},
        {"0.99999", "0", "11.999", "12"},
        {"4.001", "4", "0.0119", "0   1/64"},
        {"-1E-10", "-1", "12", "12"},
        {"4.000001", "4", "0.0000", "0   1/64"},
    };
    for (const auto& r : readings) {
        type("Text2", r.input, converter);
        click("Command1", converter);
        EXPECT_EQ(find("Text4", converter)->text(), r.feet) << r.input;
        EXPECT_EQ(find("Text6", converter)->text(), r.inches) << r.input;
        EXPECT_EQ(find("Text8", converter)->text(), r.fraction) << r.input;
    }
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(Windows, converter_reopens_with_its_initial_texts) {
    click("Command5");
    QPointer<Form2> first = converterWindow();
    type("Text2", "12.3456", first);
    click("Command1", first);
    first->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    click("Command5");
    Form2* again = converterWindow().data();
    EXPECT_EQ(find("Text2", again)->text(), "4.528");
    EXPECT_EQ(find("Text4", again)->text(), "4");
    EXPECT_EQ(find("Text6", again)->text(), "6.336");
    EXPECT_EQ(find("Text8", again)->text(), "6  11/32");
}

TEST_F(Windows, web_window_shows_the_address_at_its_place) {
    click("Command4");
    ASSERT_FALSE(webWindow().isNull());
    WebWindow* web = webWindow().data();
    EXPECT_EQ(web->windowTitle(), QString::fromUtf8("主页链接"));
    EXPECT_EQ(web->geometry(), QRect(142, 113, 221, 123));
    auto* link = web->findChild<QLabel*>("lblWebPage");
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->text(), kWebAddress);
    EXPECT_EQ(link->cursor().hotSpot(), QPoint(13, 9));
    EXPECT_EQ(link->cursor().bitmap().size(), QSize(32, 32));
    // A white hand with a black outline on a clear ground: a bitmap's black pixels are its
    // set bits; the mask's set bits are the drawn ones.
    const QImage shape = link->cursor().bitmap().toImage();
    const QImage mask = link->cursor().mask().toImage();
    const auto black = [](const QImage& image, int x, int y) {
        return image.pixelColor(x, y) == QColor(Qt::black);
    };
    EXPECT_TRUE(black(shape, 13, 9) && black(mask, 13, 9));     // the outline at the fingertip
    EXPECT_TRUE(!black(shape, 13, 10) && black(mask, 13, 10));  // inside the finger: white
    EXPECT_TRUE(!black(shape, 20, 20) && black(mask, 20, 20));  // the palm
    int drawn = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) drawn += black(mask, x, y) ? 1 : 0;
    }
    EXPECT_FALSE(black(mask, 0, 0));
    EXPECT_FALSE(black(mask, 31, 31));
    EXPECT_LT(drawn, 32 * 32 / 3);  // the ground around the hand is clear

    web->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    click("Command4");
    click("Command4");
    const QWidgetList windows = QApplication::topLevelWidgets();
    EXPECT_EQ(std::count_if(windows.begin(), windows.end(),
                            [](QWidget* w) { return w->objectName() == "web" && w->isVisible(); }),
              1);
}

// A stand-in xdg-open first on PATH records each launch, slowly, so a click that waited for
// it would show.
class BrowserLaunch : public Windows {
protected:
    void SetUp() override {
        Windows::SetUp();
        savedPath = qgetenv("PATH");
        ASSERT_TRUE(bin.isValid());
        click("Command4");
        link = webWindow()->findChild<QLabel*>("lblWebPage");
        ASSERT_NE(link, nullptr);
    }
    void TearDown() override {
        qputenv("PATH", savedPath);
        Windows::TearDown();
    }
    void installStandIn() {
        const QString script = bin.filePath("xdg-open");
        QFile file(script);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\necho \"$#:$1\" >> \"" + log().toUtf8() + "\"\nsleep 2\n");
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", bin.path().toUtf8() + ":" + savedPath);
    }
    QString log() const { return bin.filePath("launches.txt"); }
    void clickLink() { QTest::mouseClick(link, Qt::LeftButton); }

    QTemporaryDir bin;
    QByteArray savedPath;
    QLabel* link = nullptr;
};

TEST_F(BrowserLaunch, each_click_opens_the_address_with_its_slash_without_waiting) {
    installStandIn();
    QElapsedTimer clicking;
    clicking.start();
    clickLink();
    clickLink();
    EXPECT_LT(clicking.elapsed(), 1500) << "the click waited for the browser";
    EXPECT_TRUE(errors.isEmpty());
    QStringList launches;
    for (int i = 0; i < 50 && launches.size() < 2; ++i) {
        QTest::qWait(100);
        QFile file(log());
        if (file.open(QIODevice::ReadOnly)) {
            launches = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
        }
    }
    const QString expected = QStringLiteral("1:") + kWebAddress + "/";
    EXPECT_EQ(launches, QStringList({expected, expected}));
}

TEST_F(BrowserLaunch, without_xdg_open_says_so_and_runs_on) {
    qputenv("PATH", bin.path().toUtf8());
    clickLink();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(QString::fromUtf8("无法打开浏览器")));
    EXPECT_TRUE(webWindow()->isVisible());
}

}  // namespace
}  // namespace zeva::ui
