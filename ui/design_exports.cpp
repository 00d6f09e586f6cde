// SPDX-License-Identifier: MIT
#include "ui/design_exports.h"
#include "ui/language.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLocale>
#include <QPrinter>
#include <QPrinterInfo>

#include "sheet/csv_report.h"
#include "sheet/render.h"
#include "ui/errors.h"
#include "ui/optimise_box.h"
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
    dialog.setLocale(windowLanguage() == Language::English
                         ? QLocale(QLocale::English, QLocale::UnitedKingdom)
                         : QLocale(QLocale::Chinese, QLocale::China));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!proposed.isEmpty()) dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

void setSaveFileChooser(SaveFileChooser chooser) { fileChooser() = std::move(chooser); }
void setOpenFileChooser(SaveFileChooser chooser) { openChooser() = std::move(chooser); }

QString DesignWindow::proposedName(const char* ending) const {
    if (session_->sheet() == nullptr) return uiText("Yagi") + uiText(ending);
    static constexpr int kElements[] = {2, 3, 4, 23};
    const sheet::Design& design = session_->sheet()->request.design;
    return uiText("Yagi-%1MHz-%2el")
               .arg(QString::fromStdString(design.frequency))
               .arg(kElements[static_cast<int>(design.mode)]) +
           uiText(ending);
}

void DesignWindow::chooseAndExport(Export kind) {
    const ExportCommand* command = nullptr;
    for (const ExportCommand& candidate : kExports) {
        if (candidate.kind == kind) command = &candidate;
    }
    const QString title = uiText(command->caption).remove(QChar(0x2026));
    const QString filter = uiText(command->filter);
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
                             windowLanguage(),
                             session_->sheet(),
                             antenna,
                             analysis,
                             session_->tuning(),
                             session_->overGround(),
                             session_->tolerance(),
                             session_->advice(),
                             nullptr,
                             session_->rodAdvice()};
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
            content = sheet::patternSvg(*analysis, antenna.frequency, windowLanguage(),
                                        session_->overGround());
            break;
        case Export::Pdf: {
            const QByteArray pdf = reportPdf(reportContent(QPageSize(QPageSize::A4)));
            if (pdf.isEmpty()) {
                reportError(this, uiText("cannot make the PDF report: ") + path);
                return false;
            }
            content.assign(pdf.constData(), static_cast<std::size_t>(pdf.size()));
            break;
        }
    }
    const QByteArray file = QFile::encodeName(path);
    if (const auto failure = sheet::writeAll({{file.toStdString(), content}}, windowLanguage())) {
        reportError(this, QString::fromStdString(failure->message));
        return false;
    }
    status_->setText(uiText("Saved %1.").arg(QDir::toNativeSeparators(path)));
    return true;
}

// Everything the window shows, for the report on that paper.
ReportContent DesignWindow::reportContent(const QPageSize& page) const {
    ReportContent content{*session_->sheet(), session_->analysis(), session_->tuning(),
                          session_->note(), page};
    content.overGround = session_->overGround();
    content.tolerance = session_->tolerance();
    content.measurement = session_->measurement();
    content.advice = session_->advice();
    content.rodAdvice = session_->rodAdvice();
    content.optimisation = optimise_->result();
    return content;
}

// The report on the default printer, as the main window prints: no dialog.
void DesignWindow::printReport() {
    if (session_->sheet() == nullptr) return;
    const QPrinterInfo destination = QPrinterInfo::defaultPrinter();
    if (destination.isNull()) {
        return reportError(this, uiText("cannot print: there is no default printer"));
    }
    QPrinter printer(destination, QPrinter::HighResolution);
    printer.setDocName(uiText("ZEVA cut sheet and analysis"));
    if (!paintReport(printer, reportContent(printer.pageLayout().pageSize()))) {
        return reportError(this, uiText("cannot print: the printer does not answer"));
    }
    status_->setText(uiText("The report went to the printer %1.").arg(destination.printerName()));
}

}  // namespace zeva::ui
