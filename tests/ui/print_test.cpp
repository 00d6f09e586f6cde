// SPDX-License-Identifier: MIT
// Print through a real print server: a PDF queue set as the default destination turns the
// printed page into a file, which is rendered back to an image and looked at.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QLocale>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include "ui/errors.h"
#include "ui/form1.h"

namespace zeva::ui {
namespace {

class Printing : public testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale::c());
        setErrorReporter([this](QWidget*, const QString& message) { errors.append(message); });
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }
    void TearDown() override { setErrorReporter({}); }

    void print() { QTest::mouseClick(form.findChild<QPushButton*>("Command3"), Qt::LeftButton); }

    Form1 form;
    QStringList errors;
};

QStringList pdfsIn(const QDir& dir) { return dir.entryList({"*.pdf"}, QDir::Files, QDir::Time); }

bool isBlue(QRgb p) { return qBlue(p) > 200 && qRed(p) < 60 && qGreen(p) < 60; }
bool isGrey(QRgb p) {
    return qAbs(qRed(p) - 224) < 8 && qAbs(qGreen(p) - 224) < 8 && qAbs(qBlue(p) - 224) < 8;
}

TEST_F(Printing, puts_the_window_as_it_shows_on_the_default_printer) {
    const QString folder = qEnvironmentVariable("ZEVA_PRINT_DIR");
    if (folder.isEmpty()) {
        if (qEnvironmentVariableIsSet("CI")) FAIL() << "CI must run the print server";
        GTEST_SKIP() << "no print server was started (needs root or sudo)";
    }
    QDir dir(folder);
    const QStringList before = dir.exists() ? pdfsIn(dir) : QStringList{};
    form.findChild<QLineEdit*>("Text3")->setText("144");
    print();
    ASSERT_TRUE(errors.isEmpty()) << errors.join(";").toStdString();

    QString printed;
    QElapsedTimer waited;
    waited.start();
    while (printed.isEmpty() && waited.elapsed() < 30000) {
        QTest::qWait(200);
        for (const QString& name : pdfsIn(dir)) {
            if (!before.contains(name)) printed = dir.filePath(name);
        }
    }
    ASSERT_FALSE(printed.isEmpty()) << "no PDF appeared in " << folder.toStdString();
    QTest::qWait(500);  // let the PDF writer finish the file

    const QString stem = QDir::temp().filePath("zeva-printed");
    ASSERT_EQ(QProcess::execute("pdftoppm", {"-png", "-r", "40", "-singlefile", printed, stem}), 0);
    const QImage page(stem + ".png");
    ASSERT_FALSE(page.isNull());

    // The window's picture: the box of everything that is not white paper.
    QRect picture;
    int blue = 0;
    int grey = 0;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            const QRgb p = page.pixel(x, y);
            if (qRed(p) > 250 && qGreen(p) > 250 && qBlue(p) > 250) continue;
            picture |= QRect(x, y, 1, 1);
            blue += isBlue(p);
            grey += isGrey(p);
        }
    }
    ASSERT_FALSE(picture.isEmpty());
    const double aspect = static_cast<double>(picture.width()) / picture.height();
    EXPECT_NEAR(aspect, 8880.0 / 5925.0, 0.05 * 8880.0 / 5925.0);
    EXPECT_GT(grey, picture.width() * picture.height() / 3) << "grey background";
    EXPECT_GT(blue, 20) << "blue title";
}

TEST_F(Printing, without_a_printer_says_so_and_runs_on) {
    if (!qEnvironmentVariableIsSet("ZEVA_EXPECT_NO_PRINTER")) GTEST_SKIP();
    print();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(QString::fromUtf8("无法打印"))) << errors[0].toStdString();
    EXPECT_TRUE(form.isVisible());
}

}  // namespace
}  // namespace zeva::ui
