// Start-up: the main window, built from its layout and shown; then the event loop, which
// ends when the last open window closes.
#include <QApplication>

#include "ui/form1.h"
#include "ui/startup.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    zeva::ui::configureApplication();
    zeva::ui::Form1 form1;
    form1.show();
    return QApplication::exec();
}
