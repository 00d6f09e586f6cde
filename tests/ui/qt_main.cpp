// SPDX-License-Identifier: MIT
// The test runner for the windows: one QApplication on the offscreen platform for all tests,
// set up as the program sets itself up (fonts, Qt's Chinese texts).
#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <clocale>
#include <cstdio>
#include <string_view>

#include "ui/language.h"
#include "ui/startup.h"

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    zeva::ui::configureApplication();
    // The run in a decimal-comma locale must have it, or it would pass without testing it.
    if (qEnvironmentVariableIsSet("ZEVA_EXPECT_DECIMAL_COMMA") &&
        std::string_view(std::localeconv()->decimal_point) != ",") {
        std::fprintf(stderr, "the C library does not write a decimal comma in this locale\n");
        return 1;
    }
    // The windows keep their settings; the tests keep theirs apart from the user's.
    const QTemporaryDir settings;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    testing::InitGoogleTest(&argc, argv);
    // Every test starts from the settings of a first start.
    class FreshSettings : public testing::EmptyTestEventListener {
        void OnTestStart(const testing::TestInfo&) override { zeva::ui::windowSettings().clear(); }
    };
    testing::UnitTest::GetInstance()->listeners().Append(new FreshSettings);
    return RUN_ALL_TESTS();
}
