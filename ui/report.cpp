// SPDX-License-Identifier: MIT
#include "ui/report.h"
#include "ui/language.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <numeric>
#include <optional>

#include "sheet/render.h"
#include "sheet/studies.h"
#include "ui/drawing_paint.h"
#include "ui/plots.h"
#include "ui/study_plots.h"

namespace zeva::ui {
namespace {

// The report is laid out in points 515 wide (an A4 page less its margins), scaled to the
// printable width of the paper.
constexpr double kPageWidth = 515;

QString text(const std::string& utf8) { return QString::fromStdString(utf8); }

QFont fontOf(double size, bool bold = false) {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(static_cast<int>(size));  // pixels of the scaled painter: points
    font.setBold(bold);
    return font;
}

// Draws the line, wrapped at the page's width where it is longer, and returns the next
// line's top.
double writeLine(QPainter& painter, double top, const QString& line, double size,
                 bool bold = false) {
    painter.setFont(fontOf(size, bold));
    const int flags = textFlags(Qt::AlignLeft | Qt::AlignVCenter) | Qt::TextWordWrap;
    const QRectF needed = painter.boundingRect(QRectF(0, top, kPageWidth, 1000), flags, line);
    const double height = std::max(size * 1.6, needed.height() + size * 0.4);
    painter.drawText(QRectF(0, top, kPageWidth, height), flags, line);
    return top + height;
}

// Rows of text, headings first. Text columns (names, tape readings) read from the left, figures
// from the right; a tape reading keeps clear of the figure before it.
struct Table {
    std::vector<std::vector<std::string>> rows;
    std::vector<bool> text;  // by column
    std::vector<bool> tape;  // by column
};

// The tables' faces: the largest up to 10 points at which a row fits the page, and never
// below 9 points where a row fits at 9.
constexpr double kLargestFace = 10;
constexpr double kSmallestFace = 9;

std::vector<double> columnWidths(const Table& table, double points) {
    std::vector<double> widths(table.rows.front().size(), 0);
    const QFontMetricsF bold(fontOf(points, true));
    const QFontMetricsF plain(fontOf(points));
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        for (std::size_t i = 0; i < widths.size() && i < table.rows[r].size(); ++i) {
            const QFontMetricsF& metrics = r == 0 ? bold : plain;
            widths[i] = std::max(widths[i], metrics.horizontalAdvance(text(table.rows[r][i])));
        }
    }
    for (std::size_t i = 0; i < widths.size(); ++i) widths[i] += table.tape[i] ? 12 : 8;
    return widths;
}

double sum(const std::vector<double>& widths) {
    return std::accumulate(widths.begin(), widths.end(), 0.0);
}

// The largest face from 10 points down, by quarters, at which a row fits the page; below
// `floor` the table does not fit (none).
std::optional<double> faceThatFits(const Table& table, double floor) {
    for (double size = kLargestFace; size >= floor; size -= 0.25) {
        if (sum(columnWidths(table, size)) <= kPageWidth) return size;
    }
    return std::nullopt;
}

// Draws the table at that face, across the page's width; a new page (headings again) where
// the rows run past its foot. The next top.
double drawTable(QPagedPaintDevice& device, QPainter& painter, double top, double pageHeight,
                 const Table& table, double size) {
    std::vector<double> widths = columnWidths(table, size);
    // What is left of the page goes to the columns evenly.
    const double spare =
        std::max(0.0, kPageWidth - sum(widths)) / static_cast<double>(widths.size());
    for (double& w : widths) w += spare;
    const double rowHeight = std::max(11.0, size * 1.65);
    const auto row = [&](const std::vector<std::string>& cells, double y, bool bold) {
        painter.setFont(fontOf(size, bold));
        double x = 0;
        for (std::size_t i = 0; i < cells.size() && i < widths.size(); ++i) {
            const double inset = table.tape[i] ? 8 : 2;
            const bool left = i == 0 || table.text[i];
            painter.drawText(QRectF(x + inset, y, widths[i] - inset - 4, rowHeight),
                             textFlags((left ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter),
                             text(cells[i]));
            x += widths[i];
        }
    };
    const auto headings = [&](double y) {
        row(table.rows.front(), y, true);
        painter.drawLine(QPointF(0, y + rowHeight), QPointF(kPageWidth, y + rowHeight));
        return y + rowHeight + 2;
    };
    if (top + 2 * rowHeight > pageHeight) {
        device.newPage();
        top = 0;
    }
    double y = headings(top);
    for (std::size_t r = 1; r < table.rows.size(); ++r) {
        if (y + rowHeight > pageHeight) {
            device.newPage();
            y = headings(0);
        }
        row(table.rows[r], y, false);
        y += rowHeight;
    }
    painter.drawLine(QPointF(0, y + 1), QPointF(kPageWidth, y + 1));
    return y + 6;
}

// The largest face that fits, at least 9 points where it can be; a table too wide for 9 points
// shrinks rather than losing its right-hand columns.
double faceFor(const Table& table) {
    return faceThatFits(table, kSmallestFace).value_or(faceThatFits(table, 5).value_or(5));
}

double rowsTable(QPagedPaintDevice& device, QPainter& painter, double top, double pageHeight,
                 const std::vector<std::vector<std::string>>& rows) {
    if (rows.empty()) return top;
    const Table table{rows, std::vector<bool>(rows.front().size(), false),
                      std::vector<bool>(rows.front().size(), false)};
    return drawTable(device, painter, top, pageHeight, table, faceFor(table));
}

// The cut sheet's table: one across the page where it fits at 9 points, else the lengths to
// cut and the places on the boom as two tables, each element named in both.
double sheetTable(QPagedPaintDevice& device, QPainter& painter, double top, double pageHeight,
                  const sheet::CutSheet& sheet) {
    const std::vector<const sheet::SheetColumn*> columns = sheet::sheetColumns(sheet);
    const auto tableOf = [&](const std::vector<std::size_t>& shown) {
        Table table;
        table.rows.emplace_back();
        const std::vector<std::string> headings = sheet::sheetHeadings(sheet);
        for (const std::size_t i : shown) {
            table.rows.back().push_back(headings[i]);
            table.text.push_back(columns[i]->text);
            table.tape.push_back(columns[i]->text &&
                                 columns[i]->value != &sheet::SheetElement::name);
        }
        for (const sheet::SheetElement& element : sheet.elements) {
            const std::vector<std::string> cells = sheet::sheetCells(element);
            table.rows.emplace_back();
            for (const std::size_t i : shown) table.rows.back().push_back(cells[i]);
        }
        return table;
    };
    std::vector<std::size_t> every(columns.size());
    std::iota(every.begin(), every.end(), 0);
    const Table whole = tableOf(every);
    if (const auto size = faceThatFits(whole, kSmallestFace)) {
        return drawTable(device, painter, top, pageHeight, whole, *size);
    }
    // The element's name, its lengths and tape readings; then its name, spacing and position.
    std::vector<std::size_t> lengths{0};
    std::vector<std::size_t> places{0};
    for (std::size_t i = 1; i < columns.size(); ++i) {
        const bool place = columns[i]->value == &sheet::SheetElement::spacingFeet ||
                           columns[i]->value == &sheet::SheetElement::spacingCentimetres ||
                           columns[i]->value == &sheet::SheetElement::positionFeet ||
                           columns[i]->value == &sheet::SheetElement::positionCentimetres;
        (place ? places : lengths).push_back(i);
    }
    for (const auto& shown : {lengths, places}) {
        const Table part = tableOf(shown);
        top = drawTable(device, painter, top, pageHeight, part, faceFor(part)) + 6;
    }
    return top;
}

}  // namespace

QStringList studyLines(const analysis::OverGround* overGround, const analysis::Tolerance* tolerance,
                       const analysis::TrimAdvice* advice, const analysis::RodAdvice* rodAdvice,
                       bool balanced) {
    std::vector<sheet::StudyLine> studies;
    const auto add = [&studies](std::vector<sheet::StudyLine> more) {
        for (sheet::StudyLine& line : more) studies.push_back(std::move(line));
    };
    if (overGround != nullptr) add(sheet::overGroundLines(*overGround, windowLanguage()));
    if (tolerance != nullptr) add(sheet::toleranceLines(*tolerance, windowLanguage()));
    if (advice != nullptr) add(sheet::adviceLines(*advice, windowLanguage()));
    if (rodAdvice != nullptr) add(sheet::rodAdviceLines(*rodAdvice, balanced, windowLanguage()));
    QStringList lines;
    for (const sheet::StudyLine& line : studies) {
        lines << uiText("%1: %2").arg(text(line.label), text(line.text));
    }
    return lines;
}

QString boomLengthText(const sheet::CutSheet& sheet) {
    return uiText("boom length: %1 ft, %2 cm")
        .arg(text(sheet.boomFeet), text(sheet.boomCentimetres));
}

bool paintReport(QPagedPaintDevice& device, const ReportContent& content) {
    device.setPageSize(content.page);
    device.setPageMargins(QMarginsF(40, 40, 40, 40), QPageLayout::Point);
    QPainter painter;
    if (!painter.begin(&device)) return false;
    const QRect page = painter.viewport();
    const double scale = page.width() / kPageWidth;
    painter.scale(scale, scale);
    const double pageHeight = page.height() / scale;

    double y = writeLine(painter, 0, uiText("Yagi-Uda cut sheet"), 16, true);
    y = writeLine(painter, y, text(sheet::designLine(content.sheet)), 9);
    y = sheetTable(device, painter, y + 6, pageHeight, content.sheet);
    y = writeLine(painter, y, boomLengthText(content.sheet), 9, true);
    if (const std::string note = sheet::boomNote(content.sheet); !note.empty()) {
        y = writeLine(painter, y, text(note), 8);
    }
    // The cut list and the tubes to buy on a page of their own.
    if (content.sheet.tubes) {
        const sheet::TubeList& tubes = *content.sheet.tubes;
        device.newPage();
        y = writeLine(painter, 0, uiText("Tubes"), 16, true);
        y = writeLine(painter, y, text(sheet::tubeHeading(tubes, content.sheet.language)), 8);
        y = rowsTable(device, painter, y + 4, pageHeight,
                      sheet::cutListRows(tubes, content.sheet.language));
        if (y + 80 > pageHeight) {
            device.newPage();
            y = 0;
        }
        y = writeLine(painter, y + 6, text(translate(content.sheet.language, "Tubes to buy:")), 9,
                      true);
        y = rowsTable(device, painter, y, pageHeight,
                      sheet::stockRows(tubes, content.sheet.language));
    }
    // The workshop drawing: where to drill the boom, and each element's half.
    device.newPage();
    y = writeLine(painter, 0, uiText("Workshop drawing"), 16, true);
    paintDrawing(painter, QRectF(0, y + 4, kPageWidth, pageHeight - y - 4),
                 sheet::workshopDrawing(content.sheet));
    y = pageHeight;

    if (content.analysis == nullptr) {
        writeLine(painter, y + 10, content.analysisNote, 9);
        return painter.end();
    }
    device.newPage();
    y = writeLine(painter, 0, uiText("NEC-2 analysis"), 16, true);
    for (const std::string& line : sheet::figureLines(*content.analysis, content.tuning,
                                                      &content.sheet, content.sheet.language)) {
        y = writeLine(painter, y, text(line), 9);
    }
    painter.setFont(fontOf(8));
    const double plotHeight = std::min(260.0, (pageHeight - y - 20) / 2);
    paintSweep(painter, QRectF(0, y + 10, kPageWidth, plotHeight), *content.analysis,
               content.tuning, content.measurement);
    paintPatterns(painter, QRectF(0, y + 20 + plotHeight, kPageWidth, plotHeight),
                  *content.analysis);

    // The feed on a Smith chart, on a page of its own: the element's, each match's as the line
    // sees it, and the measured one.
    device.newPage();
    y = writeLine(painter, 0, uiText("Smith chart"), 16, true);
    painter.setFont(fontOf(8));
    paintSmith(painter,
               QRectF(0, y + 10, kPageWidth, std::min(kPageWidth * 0.75, pageHeight - y - 10)),
               *content.analysis, content.tuning, content.measurement);

    // The optimiser's search on a page of its own: what it was asked, the limits it keeps, and
    // the band's figures before and after.
    if (content.optimisation != nullptr) {
        device.newPage();
        y = writeLine(painter, 0, uiText("Optimisation"), 16, true);
        for (const sheet::StudyLine& line :
             sheet::optimisationLines(*content.optimisation, content.sheet.language)) {
            y = writeLine(painter, y, uiText("%1: %2").arg(text(line.label), text(line.text)), 9);
        }
        rowsTable(device, painter, y + 6, pageHeight,
                  sheet::optimisationRows(*content.optimisation, content.sheet.language));
    }

    // The studies on a page of their own: their figures, then the elevation pattern and the
    // spread of the SWR where they were made.
    const QStringList studies = studyLines(
        content.overGround, content.tolerance, content.advice, content.rodAdvice,
        content.tuning != nullptr && content.tuning->rods && content.tuning->rods->shape.balanced);
    if (studies.isEmpty()) return painter.end();
    device.newPage();
    y = writeLine(painter, 0, uiText("Sweep, ground and tolerance"), 16, true);
    for (const QString& line : studies) y = writeLine(painter, y, line, 9);
    const int plots =
        (content.overGround != nullptr ? 1 : 0) + (content.tolerance != nullptr ? 1 : 0);
    if (plots == 0) return painter.end();
    const double height = std::min(260.0, (pageHeight - y - 10.0 * plots) / plots);
    if (height < 80) return painter.end();  // no room left on the page: the figures say it
    painter.setFont(fontOf(8));
    if (content.overGround != nullptr) {
        paintElevation(painter, QRectF(0, y + 10, kPageWidth, height), *content.overGround);
        y += 10 + height;
    }
    if (content.tolerance != nullptr) {
        paintSwrHistogram(painter, QRectF(0, y + 10, kPageWidth, height), *content.tolerance);
    }
    return painter.end();
}

QByteArray reportPdf(const ReportContent& content) {
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setTitle(uiText("Yagi-Uda cut sheet"));
        writer.setCreator(QStringLiteral("ZEVA"));
        writer.setResolution(300);
        if (!paintReport(writer, content)) return {};
    }
    return bytes;
}

}  // namespace zeva::ui
