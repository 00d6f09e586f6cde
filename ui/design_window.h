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

#include "analysis/analyser.h"
#include "analysis/over_ground.h"
#include "analysis/tolerance.h"
#include "analysis/trim_advice.h"
#include "analysis/tuner.h"
#include "sheet/cut_sheet.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSplitter;
class QStandardItemModel;
class QTabWidget;
class QTableView;

namespace zeva::ui {

class AnalysisRun;
class BuildBox;
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
    void cancelAnalysis();

    [[nodiscard]] bool analysing() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void rebuildSheet();
    void fitSheetSide();
    void startAnalysis();
    void analysisDone(const std::variant<analysis::Analysis, analysis::Failure>& result);
    void startTuning();
    void tuningDone(const std::variant<analysis::Tuning, analysis::Failure>& result);
    // The studies after the tuning: over the ground where asked, the tolerance on demand.
    void startGround();
    void groundDone(const std::variant<analysis::OverGround, analysis::Failure>& result);
    void startTolerance();
    void toleranceDone(const std::variant<analysis::Tolerance, analysis::Failure>& result);
    // Starts a run of the study after the current one, which is cancelled; its result goes to
    // the handler. A run that ends in its own callback is kept until the next one ends.
    template <class Study, class Result>
    void launch(std::unique_ptr<Study> study, const QString& status,
                void (DesignWindow::*done)(const Result&)) {
        const Study* typed = study.get();
        launchRun(std::move(study), status,
                  [this, typed, done](analysis::Stepper&) { (this->*done)(typed->result()); });
    }
    void launchRun(std::unique_ptr<analysis::Stepper> stepper, const QString& status,
                   std::function<void(analysis::Stepper&)> done);
    void showStudies();
    // The file name a save dialog proposes: 八木-144MHz-23元件.pdf, 八木-144MHz-23元件-扫描.csv.
    [[nodiscard]] QString proposedName(const char* ending) const;
    // The next study the controls ask for and that is not known yet: over the ground, then
    // the advice from a measurement.
    void continueStudies();
    void importMeasurement();
    void startAdvice();
    void adviceDone(const std::variant<analysis::TrimAdvice, analysis::Failure>& result);
    void showFigures();
    void showRunning(bool running);
    void chooseAndExport(Export kind);
    void setAnalysisNote(const QString& note);
    void updateCommands();

    std::optional<sheet::Design> mainDesign_;  // as the main window gave it
    std::optional<sheet::CutSheet> sheet_;
    std::optional<analysis::Analysis> analysis_;
    std::optional<analysis::Tuning> tuning_;
    std::optional<analysis::OverGround> overGround_;
    std::optional<analysis::Tolerance> tolerance_;
    std::optional<analysis::Measurement> measurement_;  // imported, of the antenna as built
    std::optional<analysis::TrimAdvice> advice_;
    // What runs now: the analysis and the tuning chain on to the ground; a change of the
    // ground while another study runs waits for it.
    enum class Stage { Idle, Analysis, Tuning, Ground, Tolerance, Advice };
    Stage stage_ = Stage::Idle;
    bool groundWaiting_ = false;
    std::unique_ptr<AnalysisRun> run_;
    std::unique_ptr<AnalysisRun> retired_;  // a run that ended in its own callback
    QString analysisNote_;

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
    StudyPlot* elevationPlot_;
    StudyPlot* histogram_;
    QTabWidget* plots_;
    QSplitter* splitter_;
    QTableView* sweepTable_;
    QStandardItemModel* sweepModel_;
    StudiesBox* studies_;
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

QPointer<DesignWindow>& designWindow();
// Opens the window (created on first use, one instance, brought to the front) on the design,
// or on none before the first Calculate.
void showDesignWindow(const std::optional<sheet::Design>& design);

}  // namespace zeva::ui
