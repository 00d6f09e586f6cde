// SPDX-License-Identifier: MIT
// Start-up timing harness, not part of the product: builds the real main window (or, with
// --bare, a plain window with as many line edits, as the floor), shows it, and quits as soon
// as the window has been painted once. With --analyse MODE MHZ ROW it opens the design window
// on that design (MODE 2, 3, 4 or multi; ROW the diameter catalogue's), quits once its
// analysis has ended and prints the milliseconds from the window's opening to its figures, to
// set beside zeva-sheet's --analyse as a whole process. Otherwise time it as a whole process.
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "ui/design_window.h"
#include "ui/form1.h"
#include "ui/startup.h"

namespace {

// Quits the event loop after the watched window's first paint.
class FirstPaint final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool seen_ = false;
};

constexpr int kPlainWidgets = 61;  // as many as the main window has controls

// The design window's analysis of one design, from its opening to its figures.
int analyse(const char* mode, const char* frequency, const char* row) {
    zeva::ui::configureApplication();
    zeva::sheet::Design design;
    design.mode = std::strcmp(mode, "2") == 0   ? zeva::ElementMode::TwoElement
                  : std::strcmp(mode, "3") == 0 ? zeva::ElementMode::ThreeElement
                  : std::strcmp(mode, "4") == 0 ? zeva::ElementMode::FourElement
                                                : zeva::ElementMode::MultiElement;
    design.frequency = frequency;
    design.diameterIndex = std::atoi(row);
    QElapsedTimer waited;
    waited.start();
    zeva::ui::showDesignWindow(design);
    QTimer poll;
    bool began = false;  // the analysis may start after the window's first turn of events
    QObject::connect(&poll, &QTimer::timeout, [&poll, &waited, &began] {
        const zeva::ui::DesignWindow* window = zeva::ui::designWindow().data();
        const bool running = window != nullptr && window->analysing();
        began = began || running;
        if ((began && !running) || waited.elapsed() > 600000) {
            poll.stop();
            QCoreApplication::quit();
        }
    });
    poll.start(10);
    const int status = QApplication::exec();
    std::printf("%lld\n", static_cast<long long>(waited.elapsed()));
    delete zeva::ui::designWindow().data();
    return status;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc == 5 && std::strcmp(argv[1], "--analyse") == 0) {
        return analyse(argv[2], argv[3], argv[4]);
    }
    const bool bare = argc > 1 && std::strcmp(argv[1], "--bare") == 0;
    std::unique_ptr<QWidget> window;
    if (bare) {
        window = std::make_unique<QWidget>();
        window->resize(592, 395);
        for (int i = 0; i < kPlainWidgets; ++i) {
            auto* edit = new QLineEdit(window.get());
            edit->setGeometry((i % 8) * 74, (i / 8) * 25, 73, 19);
        }
    } else {
        zeva::ui::configureApplication();
        window = std::make_unique<zeva::ui::Form1>();
    }
    FirstPaint watcher;
    window->installEventFilter(&watcher);
    window->show();
    return QApplication::exec();
}
