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
#include "sheet/cut_sheet.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTableView;

namespace zeva::ui {

class AnalysisRun;
class CutSheetModel;
class PlotWidget;

enum class Export { Csv, Json, Deck, Pattern, Pdf };

class DesignWindow final : public QWidget {
public:
    explicit DesignWindow(QWidget* parent = nullptr);
    ~DesignWindow() override;

    // The design of a successful Calculate; its element diameter index is -1 when the main
    // window had no diameter or no mode selected.
    void showDesign(const sheet::SheetOptions& design);

    // Writes the export to the file, whole or not at all; false, with a message, on failure.
    bool exportTo(Export kind, const QString& path);
    void printReport();
    void cancelAnalysis();

    [[nodiscard]] bool analysing() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void startAnalysis();
    void analysisDone(const std::variant<analysis::Analysis, analysis::Failure>& result);
    void chooseAndExport(Export kind);
    void setAnalysisNote(const QString& note);
    void updateCommands();

    std::optional<sheet::CutSheet> sheet_;
    std::optional<analysis::Analysis> analysis_;
    std::unique_ptr<AnalysisRun> run_;
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
    std::vector<std::pair<Export, QPushButton*>> exports_;
    QPushButton* print_;
};

// Asks where to save an export; an empty text when the user cancels. Replaceable, as tests
// answer without a dialog.
using SaveFileChooser =
    std::function<QString(QWidget* parent, const QString& title, const QString& filter)>;
void setSaveFileChooser(SaveFileChooser chooser);

QPointer<DesignWindow>& designWindow();
// Opens the window (created on first use, one instance, brought to the front) on the design,
// or on none before the first Calculate.
void showDesignWindow(const std::optional<sheet::SheetOptions>& design);

}  // namespace zeva::ui
