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

double sheetTable(QPainter& painter, double top, const sheet::CutSheet& sheet) {
    // Columns: element, length ft, cm, tape, [cut ft, cm, tape,] spacing ft, cm, position ft,
    // cm. Each column as wide as its heading or its widest cell, in the largest face up to
    // 8.5 points at which the whole row fits the page.
    const std::vector<std::string> headings = sheet::sheetHeadings(sheet);
    // The tape readings, text among the figures, read from the left.
    std::vector<bool> tape;
    for (const sheet::SheetColumn* column : sheet::sheetColumns(sheet)) {
        tape.push_back(column->text && column->value != &sheet::SheetElement::name);
    }
    const auto widthsAt = [&](double points) {
        std::vector<double> widths(headings.size(), 0);
        const QFontMetricsF bold(fontOf(points, true));
        const QFontMetricsF plain(fontOf(points));
        for (std::size_t i = 0; i < headings.size(); ++i) {
            widths[i] = bold.horizontalAdvance(text(headings[i]));
            for (const sheet::SheetElement& element : sheet.elements) {
                widths[i] = std::max(widths[i],
                                     plain.horizontalAdvance(text(sheet::sheetCells(element)[i])));
            }
            widths[i] += tape[i] ? 12 : 6;
        }
        return widths;
    };
    double size = 8.5;
    std::vector<double> widths = widthsAt(size);
    const auto total = [](const std::vector<double>& w) {
        return std::accumulate(w.begin(), w.end(), 0.0);
    };
    while (total(widths) > kPageWidth && size > 5) {
        size -= 0.25;
        widths = widthsAt(size);
    }
    // What is left of the page goes to the columns evenly.
    const double spare =
        std::max(0.0, kPageWidth - total(widths)) / static_cast<double>(widths.size());
    for (double& w : widths) w += spare;
    const double kRow = std::max(11.0, size * 1.65);
    painter.setFont(fontOf(size, true));
    const auto row = [&](const std::vector<std::string>& cells, double y) {
        double x = 0;
        for (std::size_t i = 0; i < cells.size() && i < widths.size(); ++i) {
            // A tape reading, left-aligned, keeps clear of the figure before it.
            const double inset = tape[i] ? 8 : 2;
            const QRectF cell(x + inset, y, widths[i] - inset - 2, kRow);
            painter.drawText(
                cell,
                textFlags((i == 0 || tape[i] ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter),
                text(cells[i]));
            x += widths[i];
        }
    };
    row(headings, top);
    painter.drawLine(QPointF(0, top + kRow), QPointF(kPageWidth, top + kRow));
    painter.setFont(fontOf(size));
    double y = top + kRow + 2;
    for (const sheet::SheetElement& element : sheet.elements) {
        row(sheet::sheetCells(element), y);
        y += kRow;
    }
    painter.drawLine(QPointF(0, y + 1), QPointF(kPageWidth, y + 1));
    return y + 6;
}

// Rows of text, headings first, in the largest face up to 8.5 points at which a row fits the
// page; a new page (headings again) where the rows run past its foot. The next top.
double rowsTable(QPagedPaintDevice& device, QPainter& painter, double top, double pageHeight,
                 const std::vector<std::vector<std::string>>& rows) {
    if (rows.empty()) return top;
    const std::size_t columns = rows.front().size();
    const auto widthsAt = [&](double points) {
        std::vector<double> widths(columns, 0);
        const QFontMetricsF bold(fontOf(points, true));
        const QFontMetricsF plain(fontOf(points));
        for (std::size_t r = 0; r < rows.size(); ++r) {
            for (std::size_t i = 0; i < columns && i < rows[r].size(); ++i) {
                const QFontMetricsF& metrics = r == 0 ? bold : plain;
                widths[i] = std::max(widths[i], metrics.horizontalAdvance(text(rows[r][i])) + 8);
            }
        }
        return widths;
    };
    const auto total = [](const std::vector<double>& w) {
        return std::accumulate(w.begin(), w.end(), 0.0);
    };
    double size = 8.5;
    std::vector<double> widths = widthsAt(size);
    while (total(widths) > kPageWidth && size > 5) {
        size -= 0.25;
        widths = widthsAt(size);
    }
    const double rowHeight = std::max(11.0, size * 1.65);
    const auto row = [&](const std::vector<std::string>& cells, double y, bool bold) {
        painter.setFont(fontOf(size, bold));
        double x = 0;
        for (std::size_t i = 0; i < cells.size() && i < widths.size(); ++i) {
            painter.drawText(
                QRectF(x + 2, y, widths[i] - 6, rowHeight),
                textFlags((i == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter),
                text(cells[i]));
            x += widths[i];
        }
    };
    const auto headings = [&](double y) {
        row(rows.front(), y, true);
        painter.drawLine(QPointF(0, y + rowHeight), QPointF(total(widths), y + rowHeight));
        return y + rowHeight + 2;
    };
    double y = headings(top);
    for (std::size_t r = 1; r < rows.size(); ++r) {
        if (y + rowHeight > pageHeight) {
            device.newPage();
            y = headings(0);
        }
        row(rows[r], y, false);
        y += rowHeight;
    }
    return y + 6;
}

}  // namespace

QStringList studyLines(const analysis::OverGround* overGround, const analysis::Tolerance* tolerance,
                       const analysis::TrimAdvice* advice) {
    std::vector<sheet::StudyLine> studies;
    const auto add = [&studies](std::vector<sheet::StudyLine> more) {
        for (sheet::StudyLine& line : more) studies.push_back(std::move(line));
    };
    if (overGround != nullptr) add(sheet::overGroundLines(*overGround, windowLanguage()));
    if (tolerance != nullptr) add(sheet::toleranceLines(*tolerance, windowLanguage()));
    if (advice != nullptr) add(sheet::adviceLines(*advice, windowLanguage()));
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
    y = sheetTable(painter, y + 6, content.sheet);
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

    // The studies on a page of their own: their figures, then the elevation pattern and the
    // spread of the SWR where they were made.
    const QStringList studies = studyLines(content.overGround, content.tolerance, content.advice);
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
