// Start-up: the main window, built from its layout and shown; then the event loop, which
// ends when the last open window closes.
#include <QApplication>
#include <QFont>

#include "ui/form1.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // The layouts name "MS Sans Serif"; stand in an installed sans face with Chinese glyphs.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("WenQuanYi Micro Hei"),
                                QStringLiteral("Noto Sans CJK SC"), QStringLiteral("DejaVu Sans")});
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(8.25);  // the classic default size of that face
    QApplication::setFont(font);

    zeva::ui::Form1 form1;
    form1.show();
    return QApplication::exec();
}
