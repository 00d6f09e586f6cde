// SPDX-License-Identifier: MIT
// Start-up timing harness, not part of the product: builds the real main window (or, with
// --bare, a plain window with as many line edits, as the floor), shows it, and quits as soon
// as the window has been painted once. Time it as a whole process.
#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>
#include <cstring>
#include <memory>

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

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
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
