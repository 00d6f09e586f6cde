// The test runner for the windows: one QApplication on the offscreen platform for all tests,
// set up as the program sets itself up (fonts, Qt's Chinese texts).
#include <gtest/gtest.h>

#include <QApplication>

#include "ui/startup.h"

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    zeva::ui::configureApplication();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
