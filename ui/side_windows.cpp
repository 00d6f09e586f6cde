// SPDX-License-Identifier: MIT
#include "ui/side_windows.h"
#include "ui/language.h"

#include <QBitmap>
#include <QCursor>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>

#include "converter/decimal_feet.h"
#include "ui/errors.h"
#include "ui/layout.h"

namespace zeva::ui {
namespace {

// clang-format off
constexpr Control kForm2Controls[] = {
    {"Text1", Kind::LabelBox, N_("decimal feet"), 120, 240, 1935, 375, 0, Align::Right, Colour::Default, Background::Grey, {9.75, true}},
    {"Text2", Kind::TextBox, "4.528", 2160, 120, 1215, 495, 1, Align::Left, Colour::Highlight, Background::Default, {12, true}},
    {"Command1", Kind::CommandButton, N_("Calculate"), 3480, 120, 1215, 495, 2},
    {"Text3", Kind::LabelBox, N_("feet"), 1680, 1200, 855, 375, 3, Align::Left, Colour::Default, Background::Grey, {9.75, true}},
    {"Text4", Kind::TextBox, "4", 960, 1080, 615, 375, 4, Align::Left, Colour::Highlight, Background::Default, {9.75, true}},
    {"Text5", Kind::LabelBox, N_("inches"), 4200, 1320, 1095, 285, 5, Align::Left, Colour::Default, Background::Grey, {9.75, true}},
    {"Text6", Kind::ResultBox, "6.336", 2760, 1080, 1335, 375, 6, Align::Left, Colour::Highlight, Background::Default, {9.75, true}},
    {"Text7", Kind::LabelBox, N_("nearest fraction"), 120, 1680, 2655, 375, 7, Align::Right, Colour::Default, Background::Grey, {9.75, true}},
    {"Text8", Kind::TextBox, "6  11/32", 2760, 1560, 1335, 405, 8, Align::Left, Colour::Highlight, Background::Default, {8.25, true}},
};
// clang-format on

// A white hand with a black outline, index finger up; '#' black, '.' white, ' ' clear.
// The fingertip, the hot spot, is at column 13 of row 9.
// clang-format off
constexpr const char* kHandRows[] = {
    "             ##",
    "            #..#",
    "            #..#",
    "            #..#",
    "            #..###",
    "            #..#..###",
    "            #..#..#..##",
    "         ## #..#..#..#.#",
    "         #..#..........#",
    "         #..#..........#",
    "          #............#",
    "          #............#",
    "           #..........#",
    "           #..........#",
    "            #........#",
    "            ##########",
};
// clang-format on
constexpr int kHandTop = 9;
constexpr int kCursorSize = 32;

QCursor handCursor() {
    // A bitmap's set bits are its black (colour1) ones: index 1 must be black in both
    // images, or the hand comes out as a hole in a black square.
    QImage shape(kCursorSize, kCursorSize, QImage::Format_MonoLSB);
    QImage mask(kCursorSize, kCursorSize, QImage::Format_MonoLSB);
    const QList<QRgb> whiteThenBlack{qRgb(255, 255, 255), qRgb(0, 0, 0)};
    shape.setColorTable(whiteThenBlack);
    mask.setColorTable(whiteThenBlack);
    shape.fill(0);
    mask.fill(0);
    int row = kHandTop;
    for (const char* line : kHandRows) {
        for (int column = 0; line[column] != '\0'; ++column) {
            if (line[column] == ' ') continue;
            mask.setPixel(column, row, 1);
            shape.setPixel(column, row, line[column] == '#' ? 1 : 0);
        }
        ++row;
    }
    return QCursor(QBitmap::fromImage(shape), QBitmap::fromImage(mask), 13, 9);
}

// The address label: every click asks the desktop to open the page, without waiting.
class WebLink final : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint())) {
            return;
        }
        const QString page = QString::fromLatin1(kWebAddress) + QLatin1Char('/');
        if (!QProcess::startDetached(QStringLiteral("xdg-open"), {page})) {
            reportError(window(), uiText("cannot open the browser: xdg-open is not found "
                                         "(install the Debian package xdg-utils)"));
        }
    }
};

QLabel* label(QWidget& window, QLabel* created, const char* name, int left, int top, int width,
              int height, Qt::Alignment align) {
    created->setParent(&window);
    created->setObjectName(QLatin1String(name));
    created->setGeometry(pixels(left), pixels(top), pixels(width), pixels(height));
    created->setAlignment(align | Qt::AlignVCenter);
    created->setAutoFillBackground(true);
    created->setWordWrap(true);  // long captions take a second line inside their box
    return created;
}

template <class Window>
void showOnce(QPointer<Window>& reference) {
    if (reference.isNull()) {
        reference = new Window;
        reference->setAttribute(Qt::WA_DeleteOnClose);
    }
    reference->show();
    reference->raise();
    reference->activateWindow();
}

}  // namespace

Form2::Form2(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(uiText("Calculate"));
    paintGrey(*this);
    resize(pixels(5370), pixels(2175));
    build(*this, kForm2Controls);
    // The captions in the windows' language; the figures in the boxes are figures.
    for (const Control& control : kForm2Controls) {
        if (control.kind != Kind::LabelBox && control.kind != Kind::CommandButton) continue;
        QWidget* widget = findChild<QWidget*>(QLatin1String(control.name));
        if (auto* box = qobject_cast<QLineEdit*>(widget)) {
            box->setText(uiText(control.text));
            box->setCursorPosition(0);
        }
        if (auto* button = qobject_cast<QPushButton*>(widget))
            button->setText(uiText(control.text));
    }
    connect(findChild<QPushButton*>(QStringLiteral("Command1")), &QPushButton::clicked, this,
            &Form2::convert);
}

void Form2::convert() {
    const auto box = [this](const char* name) {
        return findChild<QLineEdit*>(QLatin1String(name));
    };
    const Result<TapeReading> reading =
        ConvertDecimalFeet(box("Text2")->text().toStdString(), localNumberFormat());
    if (!reading.ok()) return reportError(this, errorMessage(reading.error(), windowLanguage()));
    box("Text4")->setText(QString::fromStdString(reading.value().wholeFeet));
    box("Text6")->setText(QString::fromStdString(reading.value().decimalInches));
    box("Text8")->setText(QString::fromStdString(reading.value().inchesAndFraction));
}

WebWindow::WebWindow(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("web"));
    setWindowTitle(uiText("Home page"));
    // The client area's top left corner sits at 2130, 1695 twips from the screen's.
    setGeometry(pixels(2130), pixels(1695), pixels(3315), pixels(1845));
    label(*this, new QLabel(uiText("This link opens in your default browser")), "Label1", 525, 75,
          2265, 390, Qt::AlignHCenter);
    label(*this, new QLabel(uiText("Click the link below")), "Label2", 450, 750, 2490, 345,
          Qt::AlignHCenter);
    QLabel* link = label(*this, new WebLink(QString::fromLatin1(kWebAddress)), "lblWebPage", 525,
                         1335, 2205, 255, Qt::AlignLeft);
    QPalette palette = link->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
    link->setPalette(palette);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(8.25);
    link->setFont(font);
    link->setCursor(handCursor());
}

QPointer<Form2>& converterWindow() {
    static QPointer<Form2> instance;
    return instance;
}

QPointer<WebWindow>& webWindow() {
    static QPointer<WebWindow> instance;
    return instance;
}

void showConverter() { showOnce(converterWindow()); }
void showWebWindow() { showOnce(webWindow()); }

}  // namespace zeva::ui
