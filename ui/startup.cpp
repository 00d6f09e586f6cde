#include "ui/startup.h"

#include <QApplication>
#include <QFont>

namespace zeva::ui {

void configureApplication() {
    // The layouts name "MS Sans Serif"; stand in an installed sans face with Chinese glyphs.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("WenQuanYi Micro Hei"),
                                QStringLiteral("Noto Sans CJK SC"), QStringLiteral("DejaVu Sans")});
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(8.25);  // the classic default size of that face
    QApplication::setFont(font);
}

}  // namespace zeva::ui
