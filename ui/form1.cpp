// SPDX-License-Identifier: MIT
#include "ui/form1.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>

#include "engine/catalogue.h"
#include "ui/design_window.h"
#include "ui/errors.h"
#include "ui/form1_layout.h"
#include "ui/language.h"
#include "ui/side_windows.h"

namespace zeva::ui {
namespace {

QString text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace

Form1::Form1(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("ZEVA"));
    paintGrey(*this);
    resize(pixels(form1::kClientWidth), pixels(form1::kClientHeight));
    build(*this, form1::kControls);
    // The taper presets as the user's locale writes a number (1,0 where it writes a decimal
    // comma), so that Calculate reads back what the window put there.
    const QString decimal = QString::fromStdString(localNumberFormat().decimal);
    for (const char* name : {"Text6", "Text7"}) {
        box(name)->setText(box(name)->text().replace(QLatin1Char('.'), decimal));
    }

    auto* list = findChild<QListWidget*>(QStringLiteral("List1"));
    for (const DiameterEntry& entry : DiameterCatalogue) list->addItem(text(entry.text));
    list->setCurrentRow(-1);
    // Only a selection chooses a diameter: the list makes its first row current when it
    // takes the focus, without selecting it. A selection cannot be taken away again (as
    // with Ctrl and a click), so what the list shows and the diameter always agree.
    connect(list, &QListWidget::itemSelectionChanged, this, [this, list] {
        const QList<QListWidgetItem*> selected = list->selectedItems();
        if (!selected.isEmpty()) {
            chooseDiameter(list->row(selected.first()));
        } else if (diameterRow_ >= 0) {
            list->item(diameterRow_)->setSelected(true);
        }
    });

    const std::pair<const char*, ElementMode> modes[] = {
        {"Option4", ElementMode::TwoElement},
        {"Option1", ElementMode::ThreeElement},
        {"Option2", ElementMode::FourElement},
        {"Option3", ElementMode::MultiElement},
    };
    for (const auto& [name, mode] : modes) {
        connect(findChild<QRadioButton*>(QLatin1String(name)), &QRadioButton::clicked, this,
                [this, mode = mode] { chooseMode(mode); });
    }
    const auto command = [this](const char* name) {
        return findChild<QPushButton*>(QLatin1String(name));
    };
    connect(command("Command1"), &QPushButton::clicked, this, &Form1::calculate);
    connect(command("Command2"), &QPushButton::clicked, this, &Form1::convertToMetric);
    connect(command("Command3"), &QPushButton::clicked, this, &Form1::print);
    connect(command("Command4"), &QPushButton::clicked, this, [] { showWebWindow(); });
    connect(command("Command5"), &QPushButton::clicked, this, [] { showConverter(); });
    connect(command("Command6"), &QPushButton::clicked, this,
            [this] { showDesignWindow(lastDesign_); });
    command("Command1")->setFocus();
}

void Form1::chooseMode(ElementMode mode) {
    mode_ = mode;
    selectMode(state_, mode);
}

void Form1::chooseDiameter(int index) {
    diameterRow_ = index;
    selectDiameter(state_, index);
}

void Form1::calculate() {
    // The prompt beside the catalogue follows the selection even when the inputs are wrong.
    const auto* list = findChild<QListWidget*>(QStringLiteral("List1"));
    box("Text32")->setVisible(list->selectedItems().isEmpty());

    const std::string frequency = box("Text3")->text().toStdString();
    const std::string largest = box("Text6")->text().toStdString();
    const std::string smallest = box("Text7")->text().toStdString();
    const bool multiElement = findChild<QRadioButton*>(QStringLiteral("Option3"))->isChecked();
    const Result<DesignFigures> figures =
        zeva::calculate(state_, {frequency, largest, smallest, multiElement}, localNumberFormat());
    if (!figures.ok()) return reportError(this, errorMessage(figures.error(), windowLanguage()));
    showFigures(figures.value(), "英尺");

    lastDesign_ = designOf(frequency, largest, smallest);
    if (!designWindow().isNull()) designWindow()->showDesign(*lastDesign_);
}

// The design just calculated, for the design window: numbers as the C locale writes them.
sheet::Design Form1::designOf(const std::string& frequency, const std::string& largest,
                              const std::string& smallest) const {
    const NumberFormat format = localNumberFormat();
    const auto plain = [&format](std::string text) {
        std::string out;
        for (std::size_t i = 0; i < text.size();) {
            if (!format.grouping.empty() &&
                text.compare(i, format.grouping.size(), format.grouping) == 0) {
                i += format.grouping.size();
            } else if (text.compare(i, format.decimal.size(), format.decimal) == 0) {
                out += '.';
                i += format.decimal.size();
            } else {
                out += text[i++];
            }
        }
        return out;
    };
    sheet::Design design;
    // Without a chosen mode the tables are empty: the design window asks for both choices.
    design.mode = mode_.value_or(ElementMode::MultiElement);
    design.frequency = plain(frequency);
    design.diameterIndex = mode_ ? diameterRow_ : -1;
    design.largestDiameter = plain(largest);
    design.smallestDiameter = plain(smallest);
    return design;
}

void Form1::convertToMetric() {
    const Result<DesignFigures> figures = zeva::convertToMetric(state_, localNumberFormat());
    if (!figures.ok()) return reportError(this, errorMessage(figures.error(), windowLanguage()));
    showFigures(figures.value(), "厘米");
}

void Form1::showFigures(const DesignFigures& figures, const char* unit) {
    box("Text40")->setText(QString::fromUtf8(unit));
    for (std::size_t row = 0; row < kRowCount; ++row) {
        const form1::RowBoxes& boxes = form1::kRowBoxes[row];
        box(boxes.length)->setText(QString::fromStdString(figures[row].length));
        if (boxes.spacing != nullptr) {
            box(boxes.spacing)->setText(QString::fromStdString(figures[row].spacing));
        }
    }
}

// The window as it shows now, scaled to the page of the default printer, with no dialog.
void Form1::print() {
    const QPrinterInfo destination = QPrinterInfo::defaultPrinter();
    if (destination.isNull()) {
        return reportError(this, uiText("cannot print: there is no default printer"));
    }
    const QPixmap image = grab();
    QPrinter printer(destination, QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("ZEVA"));
    QPainter painter;
    if (!painter.begin(&printer)) {
        return reportError(this, uiText("cannot print: the printer does not answer"));
    }
    const QRect page = painter.viewport();
    QSize size = image.size();
    size.scale(page.size(), Qt::KeepAspectRatio);
    painter.setViewport(page.x(), page.y(), size.width(), size.height());
    painter.setWindow(image.rect());
    painter.drawPixmap(0, 0, image);
    if (!painter.end()) reportError(this, uiText("cannot print: the print job failed"));
}

QLineEdit* Form1::box(const char* name) const { return findChild<QLineEdit*>(QLatin1String(name)); }

}  // namespace zeva::ui
