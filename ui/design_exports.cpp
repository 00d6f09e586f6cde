// SPDX-License-Identifier: MIT
#include "ui/design_exports.h"

#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLocale>
#include <QPrinter>
#include <QPrinterInfo>

#include "sheet/csv_report.h"
#include "sheet/render.h"
#include "ui/errors.h"
#include "ui/report.h"

namespace zeva::ui {

using analysis::Language;

SaveFileChooser& fileChooser() {
    static SaveFileChooser chooser;
    return chooser;
}

SaveFileChooser& openChooser() {
    static SaveFileChooser chooser;
    return chooser;
}

QString askForFile(QWidget* parent, const QString& title, const QString& filter,
                   const QString& proposed, bool save) {
    QFileDialog dialog(parent, title, {}, filter);
    dialog.setLocale(QLocale(QLocale::Chinese, QLocale::China));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!proposed.isEmpty()) dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

void setSaveFileChooser(SaveFileChooser chooser) { fileChooser() = std::move(chooser); }
void setOpenFileChooser(SaveFileChooser chooser) { openChooser() = std::move(chooser); }

QString DesignWindow::proposedName(const char* ending) const {
    if (session_->sheet() == nullptr) return QStringLiteral("八木") + QString::fromUtf8(ending);
    static constexpr const char* kModes[] = {"2元件", "3元件", "4元件", "23元件"};
    return QStringLiteral("八木-%1MHz-%2%3")
        .arg(QString::fromStdString(session_->sheet()->request.design.frequency),
             QString::fromUtf8(kModes[static_cast<int>(session_->sheet()->request.design.mode)]),
             QString::fromUtf8(ending));
}

void DesignWindow::chooseAndExport(Export kind) {
    const ExportCommand* command = nullptr;
    for (const ExportCommand& candidate : kExports) {
        if (candidate.kind == kind) command = &candidate;
    }
    const QString title = QString::fromUtf8(command->caption).remove(QChar(0x2026));
    const QString filter = QString::fromUtf8(command->filter);
    const QString path = fileChooser() ? fileChooser()(this, title, filter)
                                       : QFileDialog::getSaveFileName(
                                             this, title, proposedName(command->ending), filter);
    if (!path.isEmpty()) exportTo(kind, path);
}

bool DesignWindow::exportTo(Export kind, const QString& path) {
    if (session_->sheet() == nullptr) return false;
    const analysis::Antenna antenna = sheet::antennaOf(*session_->sheet());
    const analysis::Analysis* analysis = session_->analysis();
    // Everything known of the design, as zeva-sheet gives it.
    const auto report = [&](sheet::OutputFormat format) {
        return sheet::Report{format,
                             Language::Chinese,
                             session_->sheet(),
                             antenna,
                             analysis,
                             session_->tuning(),
                             session_->overGround(),
                             session_->tolerance(),
                             session_->advice()};
    };
    std::string content;
    switch (kind) {
        case Export::Csv:
        case Export::Json: {
            const sheet::OutputFormat format =
                kind == Export::Csv ? sheet::OutputFormat::Csv : sheet::OutputFormat::Json;
            content = sheet::render(report(format));
            break;
        }
        case Export::FiguresCsv:
            if (analysis == nullptr) return false;
            content = sheet::figuresCsv(report(sheet::OutputFormat::Csv));
            break;
        case Export::SweepCsv:
            if (analysis == nullptr) return false;
            content = sheet::sweepCsv(report(sheet::OutputFormat::Csv));
            break;
        case Export::Deck:
            content = sheet::necDeck(antenna, analysis);
            break;
        case Export::Pattern:
            if (analysis == nullptr) return false;
            content = sheet::patternSvg(*analysis, antenna.frequency, Language::Chinese,
                                        session_->overGround());
            break;
        case Export::Pdf: {
            const QByteArray pdf =
                reportPdf({*session_->sheet(), analysis, session_->tuning(), session_->note()});
            if (pdf.isEmpty()) {
                reportError(this, QStringLiteral("无法生成 PDF 报告：") + path);
                return false;
            }
            content.assign(pdf.constData(), static_cast<std::size_t>(pdf.size()));
            break;
        }
    }
    const QByteArray file = QFile::encodeName(path);
    if (const auto failure = sheet::writeAll({{file.toStdString(), content}}, Language::Chinese)) {
        reportError(this, QString::fromStdString(failure->message));
        return false;
    }
    return true;
}

// The report on the default printer, as the main window prints: no dialog.
void DesignWindow::printReport() {
    if (session_->sheet() == nullptr) return;
    const QPrinterInfo destination = QPrinterInfo::defaultPrinter();
    if (destination.isNull()) {
        return reportError(this, QStringLiteral("无法打印：没有默认打印机"));
    }
    QPrinter printer(destination, QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("ZEVA 下料与分析"));
    if (!paintReport(printer, {*session_->sheet(), session_->analysis(), session_->tuning(),
                               session_->note(), printer.pageLayout().pageSize()})) {
        return reportError(this, QStringLiteral("无法打印：打印机没有响应"));
    }
    status_->setText(QStringLiteral("报告已送往打印机 %1。").arg(destination.printerName()));
}

}  // namespace zeva::ui
