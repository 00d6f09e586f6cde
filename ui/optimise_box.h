// SPDX-License-Identifier: MIT
// The design window's 优化 tab: the goals and limits, start and stop, the progress with the
// best figures so far, the time left and the start's and the best's SWR and pattern drawn
// live, the before/after table, and the choice between the optimised antenna and the design's
// own.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <variant>

#include "analysis/optimiser.h"
#include "ui/optimise_run.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace zeva::ui {

class StudyPlot;

class OptimiseBox final : public QWidget {
public:
    explicit OptimiseBox(QWidget* parent = nullptr);
    ~OptimiseBox() override;

    // What a search starts from: the antenna shown with its analysis, the band and the feed.
    struct Start {
        analysis::Antenna antenna;
        analysis::Analysis analysis;
        analysis::Band band;
        analysis::Feed feed = analysis::Feed::Direct;
    };
    std::function<std::variant<Start, QString>()> start;  // or why there is none yet
    // "Use this design": the optimised antenna and its analysis go to the sheet.
    std::function<void(const analysis::Antenna&, const analysis::Analysis&)> use;
    std::function<void()> original;  // the design's own antenna again

    // The goals as the controls say.
    [[nodiscard]] analysis::Goals goals() const;
    // A new design: a search running is abandoned and its result dropped.
    void designChanged();
    // Whether the sheet shows the optimised antenna: the way back is offered.
    void setUsingOptimised(bool using_);
    void cancel();
    [[nodiscard]] bool running() const;
    [[nodiscard]] const analysis::Optimisation* result() const;

private:
    void startSearch();
    void showProgress(const analysis::OptimiseProgress& progress);
    void showOutcome(const OptimiseOutcome& outcome);
    void updateButtons();

    QComboBox* aim_;
    QCheckBox* fbLimit_;
    QDoubleSpinBox* fb_;
    QCheckBox* swrLimit_;
    QDoubleSpinBox* swr_;
    QCheckBox* gainLimit_;
    QCheckBox* asBuilt_;
    QDoubleSpinBox* gain_;
    QSpinBox* seed_;
    QSpinBox* seconds_;
    QPushButton* start_;
    QPushButton* stop_;
    QPushButton* use_;
    QPushButton* original_;
    QProgressBar* progress_;
    QLabel* status_;
    QTableWidget* table_;
    StudyPlot* live_;  // the start's and the best's curves while the search runs
    std::unique_ptr<OptimiseRun> run_;
    std::optional<OptimiseOutcome> outcome_;
    bool usingOptimised_ = false;
    bool stopping_ = false;  // the user's stop: the progress no longer overwrites it
};

}  // namespace zeva::ui
