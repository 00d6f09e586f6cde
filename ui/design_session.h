// SPDX-License-Identifier: MIT
// The work behind the design window, without its widgets: the cut sheet of the main window's
// design with the construction the controls ask for, its NEC-2 analysis in the background,
// then the driven element's trim and the matches, the antenna over the ground, the build
// tolerance when asked for, and the advice from an imported measurement. A newer design
// cancels the runs of the older one. The controls are read through `Controls` as each step
// starts; what changes is told through `Events`, on the window's thread.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

#include "analysis/analyser.h"
#include "analysis/over_ground.h"
#include "analysis/rod_advice.h"
#include "analysis/tolerance.h"
#include "analysis/trim_advice.h"
#include "analysis/tuner.h"
#include "sheet/cut_sheet.h"

namespace zeva::ui {

class AnalysisRun;

// The 50-ohm match chosen, as a measurement is read through it: across a split driven
// element, or of one bonded to the boom (a T fed at 200 ohms through a 4:1 balun, or at 50
// through a 1:1 one).
enum class MatchChoice { None, Hairpin, Coax, Both, Gamma, Tee200, Tee50 };

// The feed that the optimiser and a measurement take the antenna through.
[[nodiscard]] analysis::Feed feedOf(MatchChoice match);

// The studies the controls ask for.
struct StudyRequest {
    analysis::SweepRange sweep;
    std::optional<analysis::Placement> placement;  // where the antenna is over the ground
    analysis::ToleranceRequest tolerance;
};

class DesignSession final {
public:
    // What runs now: the analysis and the tuning chain on to the ground; a change of the
    // ground while another study runs waits for it.
    enum class Stage { Idle, Analysis, Tuning, Ground, Tolerance, Advice };

    struct Controls {
        // The construction and the match into the request, or what is wrong with them.
        std::function<QString(sheet::DesignRequest&)> build;
        // The studies, or the control that is wrong.
        std::function<std::variant<StudyRequest, QString>()> studies;
        std::function<MatchChoice()> match;
    };
    struct Events {
        std::function<void()> sheetChanged;     // the sheet, or the text that stands for it
        std::function<void()> analysisChanged;  // the analysis or the tuning came or went
        std::function<void()> figuresChanged;   // any figure: the trim's, a study's, the advice
        std::function<void()> studiesChanged;   // the ground's or the tolerance's result
        std::function<void()> commandsChanged;  // what can be exported or run now
        std::function<void(const QString&)> status;
        // The analysis' own note: its failure or cancel, shown in place of its figures.
        std::function<void(const QString&)> note;
        std::function<void(const QString&)> buildNote;  // what is wrong with the controls
        // What is wrong with the sweep, ground and tolerance controls, kept until they read;
        // the build note says it where this is not set.
        std::function<void(const QString&)> studiesNote;
        std::function<void(bool)> running;
        std::function<void(Stage, const QString&)> studyFailed;
    };

    DesignSession(Controls controls, Events events);
    DesignSession(const DesignSession&) = delete;
    DesignSession& operator=(const DesignSession&) = delete;
    ~DesignSession();

    // The design of a successful Calculate: the same design again keeps its analysis.
    void showDesign(const sheet::Design& design);
    // The whole analysis again, as after a cancel or a failure.
    void reanalyse();
    // The mounting or the boom changed: the sheet follows.
    void rebuildSheet();
    // The match or its parts changed: the tuning again.
    void startTuning();
    void sweepChanged();
    void placementChanged();
    // True where the study started (it may still be refused at once, its failure told).
    bool startTolerance();
    void setMeasurement(analysis::Measurement measurement);
    // The optimiser's antenna, with its converged analysis, in place of the design's: the
    // sheet, the figures, the exports and the report follow, the tuning and the studies run
    // again; the construction controls still apply. A new design drops it.
    void useOptimised(const analysis::Antenna& antenna, analysis::Analysis analysis);
    // The design's own antenna again, with its analysis as it was.
    void useOriginal();
    [[nodiscard]] bool usingOptimised() const { return optimised_.has_value(); }
    // Counts the designs shown: a new one, not the same again, changes it.
    [[nodiscard]] int designSerial() const { return designSerial_; }
    // Stops what runs; the user's cancel leaves a study's analysis standing, the analysis'
    // own cancel says so.
    void cancel();
    void cancelByUser();

    [[nodiscard]] bool analysing() const;
    [[nodiscard]] Stage stage() const { return stage_; }
    // The design line above the sheet, or why there is no sheet.
    [[nodiscard]] const QString& designText() const { return designText_; }
    [[nodiscard]] const QString& note() const { return note_; }
    [[nodiscard]] const sheet::CutSheet* sheet() const { return opt(sheet_); }
    [[nodiscard]] const analysis::Analysis* analysis() const { return opt(analysis_); }
    [[nodiscard]] const analysis::Tuning* tuning() const { return opt(tuning_); }
    [[nodiscard]] const analysis::OverGround* overGround() const { return opt(overGround_); }
    [[nodiscard]] const analysis::Tolerance* tolerance() const { return opt(tolerance_); }
    [[nodiscard]] const analysis::Measurement* measurement() const { return opt(measurement_); }
    [[nodiscard]] const analysis::TrimAdvice* advice() const { return opt(advice_); }
    // Through a gamma or T match, the measurement read as the strap's move and the capacitor's.
    [[nodiscard]] const analysis::RodAdvice* rodAdvice() const { return opt(rodAdvice_); }

private:
    template <class T>
    static const T* opt(const std::optional<T>& value) {
        return value ? &*value : nullptr;
    }
    void setNote(const QString& note);
    void dropStudies();
    void dropTuning();
    // The driven element's length that the tuning's match asks to be cut; none without one.
    [[nodiscard]] std::optional<double> drivenLength() const;
    // The studies' controls as they read now, their fault said and kept in view; nothing where
    // they are wrong.
    std::optional<StudyRequest> readStudies();
    // Starts the analysis that waited for the studies' fields, where it waits; true where it
    // did (whether the fields read now or not).
    bool resumeAnalysis();
    void startAnalysis();
    void analysisDone(const std::variant<analysis::Analysis, analysis::Failure>& result);
    void tuningDone(const std::variant<analysis::Tuning, analysis::Failure>& result);
    void startGround();
    void groundDone(const std::variant<analysis::OverGround, analysis::Failure>& result);
    void toleranceDone(const std::variant<analysis::Tolerance, analysis::Failure>& result);
    void continueStudies();
    void startAdvice();
    void adviceDone(const std::variant<analysis::TrimAdvice, analysis::Failure>& result);
    void rodAdviceDone(const std::variant<analysis::RodAdvice, analysis::Failure>& result);
    void dropAdvice();
    // A study's end: the stage idle, its result kept or its failure said.
    template <class Figures>
    bool ended(const std::variant<Figures, analysis::Failure>& result, std::optional<Figures>& kept,
               Stage stage);
    // Starts a run of the study after the current one, which is cancelled; its result goes to
    // the handler. A run that ends in its own callback is kept until the next one ends.
    template <class Study, class Result>
    void launch(std::unique_ptr<Study> study, const QString& status,
                void (DesignSession::*done)(const Result&));
    void launchRun(std::unique_ptr<analysis::Stepper> stepper, const QString& status,
                   std::function<void(analysis::Stepper&)> done);

    Controls controls_;
    Events events_;
    std::optional<sheet::Design> design_;  // as the main window gave it
    QString designText_;
    QString note_;
    std::optional<sheet::CutSheet> sheet_;
    std::optional<analysis::Analysis> analysis_;
    std::optional<analysis::Tuning> tuning_;
    std::optional<analysis::OverGround> overGround_;
    std::optional<analysis::Tolerance> tolerance_;
    std::optional<analysis::Measurement> measurement_;  // imported, of the antenna as built
    std::optional<analysis::TrimAdvice> advice_;
    std::optional<analysis::RodAdvice> rodAdvice_;
    std::optional<analysis::Antenna> optimised_;          // the optimiser's, where used
    std::optional<analysis::Analysis> originalAnalysis_;  // the design's, kept meanwhile
    int designSerial_ = 0;
    bool waitingForStudies_ = false;  // the analysis waits for the studies' fields to read
    Stage stage_ = Stage::Idle;
    std::unique_ptr<AnalysisRun> run_;
    // Runs that ended, kept until the event loop turns again: a run's own callback may start
    // the next run, and the one after, before it returns.
    std::vector<std::unique_ptr<AnalysisRun>> retired_;
    QObject context_;  // the event loop's clearing of retired_ goes through it
};

}  // namespace zeva::ui
