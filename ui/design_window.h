// SPDX-License-Identifier: MIT
// The design window: the cut sheet of the main window's last calculated design, its NEC-2
// analysis run in the background, the plots, and the exports. It follows each new design;
// a newer design cancels the analysis of the older one.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "sheet/cut_sheet.h"
#include "ui/design_session.h"
#include "ui/report.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSplitter;
class QStandardItemModel;
class QTabWidget;
class QTableView;

namespace zeva::ui {

class BuildBox;
class OptimiseBox;
class CutSheetModel;
class PlotWidget;
class StudiesBox;
class StudyPlot;

// The sheet as CSV, the whole report as JSON, the analysis' figures and its sweep as CSV
// tables of their own, the NEC-2 deck, the patterns, the PDF report.
enum class Export { Csv, Json, FiguresCsv, SweepCsv, Deck, Pattern, Pdf };

class DesignWindow final : public QWidget {
public:
    explicit DesignWindow(QWidget* parent = nullptr);
    ~DesignWindow() override;

    // The design of a successful Calculate; its element diameter index is -1 when the main
    // window had no diameter or no mode selected.
    void showDesign(const sheet::Design& design);

    // Writes the export to the file, whole or not at all; false, with a message, on failure.
    bool exportTo(Export kind, const QString& path);
    void printReport();
    [[nodiscard]] ReportContent reportContent(const QPageSize& page) const;
    // The tab and the split kept from the window closed last; once the window has its size.
    void restoreKeptLayout();
    void cancelAnalysis();

    [[nodiscard]] bool analysing() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void fitSheetSide();
    void showSheet();
    void showTubes(const sheet::CutSheet* sheet);
    void showAnalysis();
    void showStudies();
    void showStudyFailure(DesignSession::Stage stage, const QString& message);
    // The file name a save dialog proposes: 八木-144MHz-23元件.pdf, 八木-144MHz-23元件-扫描.csv
    // (Yagi-144MHz-23el.pdf in English).
    [[nodiscard]] QString proposedName(const char* ending) const;
    void importMeasurement();
    void showFigures();
    void showNote(const QString& note);
    void showRunning(bool running);
    void chooseAndExport(Export kind);
    void updateCommands();

    std::unique_ptr<DesignSession> session_;
    const analysis::Analysis* tabulated_ = nullptr;  // the analysis whose sweep is tabulated

    QLabel* design_;
    QTableView* table_;
    CutSheetModel* model_;
    QLabel* boom_;
    QProgressBar* progress_;
    QLabel* status_;
    QPushButton* cancel_;
    QPlainTextEdit* figures_;
    PlotWidget* sweepPlot_;
    PlotWidget* patternPlot_;
    PlotWidget* smithChart_;
    StudyPlot* elevationPlot_;
    StudyPlot* histogram_;
    QTabWidget* plots_;
    QSplitter* splitter_;
    QTableView* sweepTable_;
    QStandardItemModel* sweepModel_;
    QTableView* tubesTable_;
    QStandardItemModel* tubesModel_;
    StudyPlot* drawing_;
    StudiesBox* studies_;
    OptimiseBox* optimise_;
    BuildBox* build_;
    std::vector<std::pair<Export, QPushButton*>> exports_;
    QPushButton* print_;
    QPushButton* import_;
    QPushButton* reanalyse_;
};

// Asks where to save an export; an empty text when the user cancels. Replaceable, as tests
// answer without a dialog.
using SaveFileChooser =
    std::function<QString(QWidget* parent, const QString& title, const QString& filter)>;
void setSaveFileChooser(SaveFileChooser chooser);
// Asks which file to open; replaceable in the same way.
void setOpenFileChooser(SaveFileChooser chooser);

// Where a window that asks for `wanted` opens on a screen's available area: no larger than
// the area less the frame the window manager adds (a title bar, borders), centred in it.
[[nodiscard]] QRect fittedGeometry(QSize wanted, QSize frame, QRect available);

QPointer<DesignWindow>& designWindow();
// Opens the window (created on first use, one instance, brought to the front) on the design,
// or on none before the first Calculate.
void showDesignWindow(const std::optional<sheet::Design>& design);

}  // namespace zeva::ui
