// SPDX-License-Identifier: MIT
// The side windows driven as a user drives them: the converter and the web window, opened
// from the main window.
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
