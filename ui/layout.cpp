// SPDX-License-Identifier: MIT
#include "ui/layout.h"

#include <QFrame>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QTextEdit>
#include <algorithm>
#include <vector>

#include "engine/design.h"

namespace zeva::ui {
namespace {

const QColor kGrey(224, 224, 224);
const QColor kLightYellow(255, 255, 192);

// A push button whose caption wraps onto further lines instead of being cut.
class WrappingButton final : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        option.text.clear();
        style()->drawControl(QStyle::CE_PushButton, &option, &painter, this);
        painter.setPen(palette().color(QPalette::ButtonText));
        painter.drawText(rect().adjusted(3, 2, -3, -2), Qt::AlignCenter | Qt::TextWordWrap, text());
    }
};

Qt::Alignment alignment(Align align) {
    switch (align) {
        case Align::Centre:
            return Qt::AlignHCenter;
        case Align::Right:
            return Qt::AlignRight;
        case Align::Left:
            break;
    }
    return Qt::AlignLeft;
}

QWidget* create(const Control& c, QWidget& window) {
    const QString text = QString::fromUtf8(c.text);
    switch (c.kind) {
        case Kind::TextBox:
        case Kind::ResultBox:
        case Kind::LabelBox: {
            auto* edit = new QLineEdit(&window);
            if (c.kind == Kind::ResultBox) edit->setMaxLength(static_cast<int>(kResultBoxLength));
            edit->setText(text);
            edit->setAlignment(alignment(c.align) | Qt::AlignVCenter);
            edit->setCursorPosition(0);
            // A caption has no caret to leave room for: its text may use the whole box,
            // without the 2 pixels Qt keeps free at either side, and reach the frame's
            // lines in a box as low as its face ("引向器 7,8" is 13 pixels high).
            if (c.kind == Kind::LabelBox) edit->setTextMargins(-2, -1, -2, -1);
            return edit;
        }
        case Kind::MultiLineLabel: {
            auto* edit = new QTextEdit(&window);
            edit->setPlainText(text);
            edit->selectAll();
            edit->setAlignment(alignment(c.align));
            edit->moveCursor(QTextCursor::Start);
            edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            edit->document()->setDocumentMargin(1);
            // A caption like the one-line ones: Tab moves on, and a paste brings plain text.
            edit->setTabChangesFocus(true);
            edit->setAcceptRichText(false);
            return edit;
        }
        case Kind::OptionButton:
            return new QRadioButton(text, &window);
        case Kind::CommandButton: {
            auto* button = new WrappingButton(text, &window);
            button->setAutoDefault(false);
            return button;
        }
        case Kind::ListBox:
            return new QListWidget(&window);
        case Kind::Line: {
            auto* line = new QFrame(&window);
            line->setFrameShape(QFrame::NoFrame);
            line->setAutoFillBackground(true);
            QPalette palette = line->palette();
            palette.setColor(QPalette::Window, palette.color(QPalette::WindowText));
            line->setPalette(palette);
            return line;
        }
    }
    return nullptr;
}

void style(QWidget& widget, const Control& c) {
    QPalette palette = widget.palette();
    const QPalette::ColorRole textRole =
        c.kind == Kind::OptionButton ? QPalette::WindowText : QPalette::Text;
    switch (c.colour) {
        case Colour::Highlight:
            palette.setColor(textRole, palette.color(QPalette::Highlight));
            break;
        case Colour::Blue:
            palette.setColor(textRole, QColor(0, 0, 255));
            break;
        case Colour::Red:
            palette.setColor(textRole, QColor(255, 0, 0));
            break;
        case Colour::Default:
            break;
    }
    const bool caption = c.kind == Kind::LabelBox || c.kind == Kind::MultiLineLabel;
    if (caption || c.background == Background::Grey) palette.setColor(QPalette::Base, kGrey);
    if (c.background == Background::LightYellow) palette.setColor(QPalette::Base, kLightYellow);
    widget.setPalette(palette);

    if (c.font.points > 0) {
        QFont font = widget.font();
        font.setFamily(QStringLiteral("MS Sans Serif"));
        font.setPointSizeF(c.font.points);
        font.setBold(c.font.bold);
        font.setItalic(c.font.italic);
        widget.setFont(font);
    }
    // Captions can be clicked into and edited, but Tab passes them by.
    if (caption) widget.setFocusPolicy(Qt::ClickFocus);
    if (c.kind == Kind::Line) widget.setFocusPolicy(Qt::NoFocus);
}

}  // namespace

void paintGrey(QWidget& window) {
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, kGrey);
    window.setPalette(palette);
    window.setAutoFillBackground(true);
}

void build(QWidget& window, std::span<const Control> controls) {
    std::vector<const Control*> order;
    for (const Control& c : controls) order.push_back(&c);
    std::stable_sort(order.begin(), order.end(),
                     [](const Control* a, const Control* b) { return a->tabIndex < b->tabIndex; });
    QWidget* previous = nullptr;
    for (const Control* c : order) {
        QWidget* widget = create(*c, window);
        widget->setObjectName(QString::fromLatin1(c->name));
        style(*widget, *c);
        const int height = c->kind == Kind::Line ? 1 : pixels(c->height);
        widget->setGeometry(pixels(c->left), pixels(c->top), pixels(c->width), height);
        widget->setVisible(!c->hidden);
        if (previous != nullptr) QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

}  // namespace zeva::ui
