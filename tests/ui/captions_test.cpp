// SPDX-License-Identifier: MIT
// Every text of the three windows shows whole inside its box, measured with the font the
// control really uses and the margins Qt really draws with. Run at scale factor 1 and 2.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>
#include <memory>

#include "ui/form1.h"
#include "ui/side_windows.h"

namespace zeva::ui {
namespace {

// QLineEdit keeps 2 pixels free at either side of its text, inside the frame.
constexpr int kLineEditMargin = 2;

// Where a line edit draws its text: inside the frame and the text margins.
QRect lineEditTextRect(const QLineEdit& edit) {
    QStyleOptionFrame option;
    option.initFrom(&edit);
    option.rect = edit.rect();
    option.lineWidth = edit.hasFrame()
                           ? edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &edit)
                           : 0;
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    option.features = QStyleOptionFrame::None;
    const QRect contents =
        edit.style()->subElementRect(QStyle::SE_LineEditContents, &option, &edit);
    return contents.marginsRemoved(edit.textMargins());
}

// The text's ink as the line edit places it, vertically centred as it draws it.
std::string lineEditFault(const QLineEdit& edit) {
    if (edit.text().isEmpty()) return {};
    const QRect area = lineEditTextRect(edit);
    const QFontMetrics metrics = edit.fontMetrics();
    const int room = area.width() - 2 * kLineEditMargin;
    const int advance = metrics.horizontalAdvance(edit.text());
    if (advance > room) {
        return "needs " + std::to_string(advance) + " px, has " + std::to_string(room);
    }
    const int top = area.y() + (area.height() - metrics.height() + 1) / 2;
    const QRect ink = metrics.tightBoundingRect(edit.text()).translated(0, top + metrics.ascent());
    if (ink.top() < area.top() || ink.bottom() > area.bottom()) {
        return "ink rows " + std::to_string(ink.top()) + ".." + std::to_string(ink.bottom()) +
               " outside " + std::to_string(area.top()) + ".." + std::to_string(area.bottom());
    }
    return {};
}

// A multi-line caption: each of its lines on one line of the box, and all inside it.
std::string textEditFault(const QTextEdit& edit) {
    const QTextDocument& document = *edit.document();
    int lines = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.layout()->lineCount() > 1) {
            return "line \"" + block.text().toStdString() + "\" wraps";
        }
        lines += block.layout()->lineCount();
    }
    const QSizeF size = document.size();
    const QSize room = edit.viewport()->size();
    if (size.width() > room.width() || size.height() > room.height()) {
        return "needs " + std::to_string(size.width()) + "x" + std::to_string(size.height()) +
               ", has " + std::to_string(room.width()) + "x" + std::to_string(room.height());
    }
    return {};
}

std::string radioFault(const QRadioButton& button) {
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    const QRect contents =
        button.style()->subElementRect(QStyle::SE_RadioButtonContents, &option, &button);
    const int advance = button.fontMetrics().horizontalAdvance(button.text());
    if (advance > contents.width() || button.fontMetrics().height() > contents.height()) {
        return "needs " + std::to_string(advance) + " px, has " + std::to_string(contents.width());
    }
    return {};
}

// A command button's caption wraps at word boundaries inside the button, 3 and 2 pixels in.
std::string buttonFault(const QPushButton& button) {
    const QRect room = button.rect().adjusted(3, 2, -3, -2);
    const QRect needed =
        button.fontMetrics().boundingRect(room, Qt::AlignCenter | Qt::TextWordWrap, button.text());
    if (!room.contains(needed)) {
        return "needs " + std::to_string(needed.width()) + "x" + std::to_string(needed.height());
    }
    return {};
}

std::string labelFault(const QLabel& label) {
    const QRect room = label.contentsRect();
    const QRect needed = label.fontMetrics().boundingRect(room, Qt::TextWordWrap, label.text());
    if (needed.height() > room.height() || needed.width() > room.width()) {
        return "needs " + std::to_string(needed.width()) + "x" + std::to_string(needed.height());
    }
    return {};
}

std::string listFault(const QListWidget& list) {
    const int room = list.viewport()->width() -
                     2 * list.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &list);
    for (int row = 0; row < list.count(); ++row) {
        const int advance = list.fontMetrics().horizontalAdvance(list.item(row)->text().trimmed());
        if (advance > room) {
            return "entry " + std::to_string(row) + " needs " + std::to_string(advance) + " px";
        }
    }
    return {};
}

// Every visible control of the window with the fault of its text, if any.
QStringList faults(QWidget& window) {
    QStringList found;
    for (QWidget* child : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isHidden()) continue;
        std::string fault;
        if (auto* edit = qobject_cast<QLineEdit*>(child)) fault = lineEditFault(*edit);
        if (auto* edit = qobject_cast<QTextEdit*>(child)) fault = textEditFault(*edit);
        if (auto* radio = qobject_cast<QRadioButton*>(child)) fault = radioFault(*radio);
        if (auto* button = qobject_cast<QPushButton*>(child)) fault = buttonFault(*button);
        if (auto* label = qobject_cast<QLabel*>(child)) fault = labelFault(*label);
        if (auto* list = qobject_cast<QListWidget*>(child)) fault = listFault(*list);
        if (!fault.empty()) {
            found << child->objectName() + QStringLiteral(": ") + QString::fromStdString(fault);
        }
    }
    return found;
}

void expectWhole(QWidget& window) {
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QStringList found = faults(window);
    EXPECT_TRUE(found.isEmpty()) << "at scale " << window.devicePixelRatio() << ":\n"
                                 << found.join('\n').toStdString();
}

TEST(Captions, whole_in_the_main_window) {
    Form1 form;
    expectWhole(form);
    // The hidden prompt too, as it shows while no diameter is chosen.
    auto* prompt = form.findChild<QLineEdit*>(QStringLiteral("Text32"));
    EXPECT_EQ(lineEditFault(*prompt), "");
}

TEST(Captions, whole_in_the_converter) {
    Form2 converter;
    expectWhole(converter);
}

TEST(Captions, whole_in_the_web_window) {
    WebWindow web;
    expectWhole(web);
}

}  // namespace
}  // namespace zeva::ui
