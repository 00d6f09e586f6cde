// SPDX-License-Identifier: MIT
#include "ui/design_session.h"
#include "ui/language.h"

#include <QThread>
#include <QTimer>
#include <utility>

#include "sheet/render.h"
#include "ui/analysis_run.h"
#include "ui/errors.h"

namespace zeva::ui {

using analysis::Language;

DesignSession::DesignSession(Controls controls, Events events)
    : controls_(std::move(controls)),
      events_(std::move(events)),
      designText_(uiText("Enter a design in the main window first and click “计算”.")) {}

// Quietly: the window that listens may be going too.
DesignSession::~DesignSession() {
    if (run_) run_->cancel();
}

void DesignSession::showDesign(const sheet::Design& design) {
    // The same design again, its analysis finished or running: nothing to do.
    if (design_ == design && (analysis_ || analysing())) return;
    cancel();
    analysis_.reset();
    dropStudies();
    optimised_.reset();
    originalAnalysis_.reset();
    ++designSerial_;
    // A measurement is of the antenna it was imported for: another design drops it.
    const bool measured = measurement_.has_value();
    measurement_.reset();
    design_ = design;
    events_.analysisChanged();
    rebuildSheet();
    if (sheet_) startAnalysis();
    if (measured) events_.status(uiText("The measurement was of the design before: dropped."));
    events_.commandsChanged();
}

void DesignSession::reanalyse() {
    if (!design_) return;
    if (optimised_ && sheet_) {  // the optimised antenna, analysed again
        cancel();
        analysis_.reset();
        dropStudies();
        events_.analysisChanged();
        startAnalysis();
        events_.commandsChanged();
        return;
    }
    const sheet::Design design = *design_;
    design_.reset();  // not the same design: it runs again
    showDesign(design);
}

// The tuning gone: the driven element's tubes go back to the design's length.
void DesignSession::dropTuning() {
    tuning_.reset();
    if (sheet_ && sheet_->tubes) {
        if (const auto failure = sheet::applyTubes(*sheet_)) {
            events_.buildNote(QString::fromStdString(failure->message));
        }
        events_.sheetChanged();
    }
}

std::optional<double> DesignSession::drivenLength() const {
    return tuning_ ? sheet::matchedDrivenLength(*tuning_) : std::nullopt;
}

// The sheet of the main window's design with the boom correction the controls ask for; a
// wrong control is named, and the sheet stands without the correction meanwhile.
void DesignSession::rebuildSheet() {
    sheet_.reset();
    events_.buildNote({});
    if (!design_) {
        events_.sheetChanged();
        return;
    }
    if (design_->diameterIndex < 0) {
        designText_ = uiText(
            "The cut sheet needs the elements and the element diameter chosen in the main window: "
            "choose them, then click “计算”.");
        setNote({});
        events_.sheetChanged();
        events_.commandsChanged();
        return;
    }
    sheet::DesignRequest request{*design_, {}, {}};
    if (const QString wrong = controls_.build(request); !wrong.isEmpty()) {
        events_.buildNote(wrong);
        // A match that does not suit the mounting leaves the mounting as chosen: the sheet
        // follows the mounting, and the match is the tuning's to refuse.
        if (sheet::checkBuild(request.construction, {}, windowLanguage()))
            request.construction = {};
    }
    Result<sheet::CutSheet> made = sheet::makeCutSheet(request, windowLanguage());
    if (!made.ok()) {
        designText_ = errorMessage(made.error(), windowLanguage());
        setNote({});
        events_.sheetChanged();
        events_.commandsChanged();
        return;
    }
    const sheet::CutSheet base =
        optimised_ ? sheet::withAntenna(made.value(), *optimised_) : made.value();
    sheet::CutSheet sheet = base;
    if (const auto failure = sheet::applyBoomCorrection(sheet)) {
        events_.buildNote(QString::fromStdString(failure->message));
        sheet = base;
        sheet.request.construction.mountingGiven = false;
        sheet.request.construction.mounting = analysis::Mounting::Insulators;
    }
    // A schedule that cannot make the elements is named; the sheet stands without tubes.
    if (const auto failure = sheet::applyTubes(sheet, drivenLength())) {
        events_.buildNote(QString::fromStdString(failure->message));
    }
    sheet_ = std::move(sheet);
    designText_ = QString::fromStdString(sheet::designLine(*sheet_));
    if (optimised_) designText_ += uiText(" (optimised)");
    events_.sheetChanged();
    events_.figuresChanged();  // the driven element's lengths to cut follow the mounting too
    events_.commandsChanged();
}

void DesignSession::startAnalysis() {
    // Nothing runs on a sweep other than the one the field shows.
    const std::optional<StudyRequest> studies = readStudies();
    waitingForStudies_ = !studies;
    if (!studies) {
        setNote(
            uiText("The analysis waits for the sweep, ground and tolerance fields to read: "
                   "mend the one named below them."));
        return;
    }
    setNote({});
    const analysis::SweepRange range = studies->sweep;
    events_.status(uiText("Analysing…"));
    events_.running(true);
    stage_ = Stage::Analysis;
    auto analyser = std::make_unique<analysis::Analyser>(
        sheet::antennaOf(*sheet_), windowLanguage(), QThread::idealThreadCount(), true, range);
    const analysis::Analyser* typed = analyser.get();
    run_ = std::make_unique<AnalysisRun>(
        std::move(analyser),
        [this](int round) { events_.status(uiText("Analysing: round %1…").arg(round)); },
        [this, typed](analysis::Stepper&) { analysisDone(typed->result()); });
    run_->start();
}

template <class Figures>
bool DesignSession::ended(const std::variant<Figures, analysis::Failure>& result,
                          std::optional<Figures>& kept, Stage stage) {
    events_.running(false);
    stage_ = Stage::Idle;
    if (const auto* failure = std::get_if<analysis::Failure>(&result)) {
        if (stage == Stage::Analysis) {
            setNote(QString::fromStdString(failure->message));
        } else {
            events_.status(QString::fromStdString(failure->message));
            events_.studyFailed(stage, QString::fromStdString(failure->message));
        }
        return false;
    }
    kept = std::get<Figures>(result);
    events_.status(uiText("Analysis done."));
    return true;
}

void DesignSession::analysisDone(
    const std::variant<analysis::Analysis, analysis::Failure>& result) {
    if (ended(result, analysis_, Stage::Analysis)) {
        events_.figuresChanged();
        events_.analysisChanged();
        startTuning();
    }
    events_.commandsChanged();
}

// The driven element trimmed, and the matches asked for, at the analysis' segmentation.
void DesignSession::startTuning() {
    if (!analysis_ || !sheet_) return;
    sheet::DesignRequest request = sheet_->request;
    if (const QString wrong = controls_.build(request); !wrong.isEmpty()) {
        events_.buildNote(wrong);
        // The figures of the match before are none of this one's.
        if (tuning_ || advice_ || rodAdvice_) {
            dropTuning();
            dropAdvice();
            events_.analysisChanged();
            events_.figuresChanged();
        }
        return;
    }
    events_.buildNote({});
    dropTuning();
    dropAdvice();
    events_.analysisChanged();
    events_.figuresChanged();
    stage_ = Stage::Tuning;
    launch(std::make_unique<analysis::Tuner>(sheet::antennaOf(*sheet_), *analysis_, request.match,
                                             windowLanguage(), QThread::idealThreadCount()),
           uiText("Tuning the driven element…"), &DesignSession::tuningDone);
}

void DesignSession::tuningDone(const std::variant<analysis::Tuning, analysis::Failure>& result) {
    ended(result, tuning_, Stage::Tuning);
    // The driven element's tubes for the length its match asks for.
    if (sheet_ && sheet_->tubes) {
        if (const auto failure = sheet::applyTubes(*sheet_, drivenLength())) {
            events_.buildNote(QString::fromStdString(failure->message));
        }
        events_.sheetChanged();
    }
    events_.figuresChanged();
    events_.analysisChanged();
    events_.commandsChanged();
    continueStudies();
}

template <class Study, class Result>
void DesignSession::launch(std::unique_ptr<Study> study, const QString& status,
                           void (DesignSession::*done)(const Result&)) {
    const Study* typed = study.get();
    launchRun(std::move(study), status,
              [this, typed, done](analysis::Stepper&) { (this->*done)(typed->result()); });
}

void DesignSession::launchRun(std::unique_ptr<analysis::Stepper> stepper, const QString& status,
                              std::function<void(analysis::Stepper&)> done) {
    // This may run inside the finished run's own callback: that run is kept until the next
    // one ends, never destroyed under its caller. A run still going is cancelled.
    if (run_) {
        run_->cancel();
        retired_.push_back(std::move(run_));
        QTimer::singleShot(0, &context_, [this] { retired_.clear(); });
    }
    events_.status(status);
    events_.running(true);
    run_ = std::make_unique<AnalysisRun>(
        std::move(stepper), [](int) {}, std::move(done));
    run_->start();
    events_.commandsChanged();
}

void DesignSession::sweepChanged() {
    if (!sheet_) return;
    // A sweep that does not read changes nothing: the figures shown stay those of the last.
    if (!readStudies()) return;
    cancel();
    analysis_.reset();
    dropTuning();
    overGround_.reset();
    tolerance_.reset();
    events_.analysisChanged();
    events_.studiesChanged();
    startAnalysis();
}

// The analysis waited for a field that did not read: once every field reads, it runs.
bool DesignSession::resumeAnalysis() {
    if (!waitingForStudies_ || !sheet_ || analysing()) return false;
    if (readStudies()) startAnalysis();
    return true;
}

void DesignSession::placementChanged() {
    if (resumeAnalysis()) return;
    if (stage_ == Stage::Analysis || stage_ == Stage::Tuning) return;  // the chain follows
    // After a tolerance study, continueStudies() starts the ground the controls ask for.
    if (stage_ == Stage::Tolerance) return;
    startGround();
}

void DesignSession::startGround() {
    if (!analysis_ || !sheet_) return;
    const std::optional<StudyRequest> studies = readStudies();
    if (!studies) return;
    const auto& placement = studies->placement;
    if (!placement) {
        if (stage_ == Stage::Ground) {  // no longer asked for: stopped, not shown
            cancel();
            events_.status(uiText("Cancelled."));
        }
        overGround_.reset();
        events_.figuresChanged();
        events_.studiesChanged();
        return;
    }
    if (overGround_ && overGround_->placement == *placement) return;  // already known
    overGround_.reset();
    events_.studiesChanged();
    stage_ = Stage::Ground;
    launch(std::make_unique<analysis::GroundStudy>(sheet::antennaOf(*sheet_), *analysis_,
                                                   *placement, windowLanguage()),
           uiText("Placing the antenna over the ground…"), &DesignSession::groundDone);
}

void DesignSession::groundDone(
    const std::variant<analysis::OverGround, analysis::Failure>& result) {
    ended(result, overGround_, Stage::Ground);
    events_.figuresChanged();
    events_.studiesChanged();
    events_.commandsChanged();
    if (measurement_ && !advice_ && !rodAdvice_ && tuning_) startAdvice();
}

bool DesignSession::startTolerance() {
    if (resumeAnalysis()) return false;
    if (!analysis_ || !sheet_ || stage_ != Stage::Idle) return false;
    const std::optional<StudyRequest> studies = readStudies();
    if (!studies) return false;
    tolerance_.reset();
    events_.studiesChanged();
    stage_ = Stage::Tolerance;
    launch(std::make_unique<analysis::ToleranceStudy>(sheet::antennaOf(*sheet_), *analysis_,
                                                      studies->tolerance, windowLanguage()),
           uiText("Studying the tolerance…"), &DesignSession::toleranceDone);
    return true;
}

void DesignSession::toleranceDone(
    const std::variant<analysis::Tolerance, analysis::Failure>& result) {
    ended(result, tolerance_, Stage::Tolerance);
    events_.figuresChanged();
    events_.studiesChanged();
    events_.commandsChanged();
    continueStudies();  // the ground asked for meanwhile, or the advice for a new measurement
}

// The next study the controls ask for and that is not known yet: over the ground, then the
// advice from a measurement.
void DesignSession::continueStudies() {
    const auto studies = controls_.studies();
    const auto* request = std::get_if<StudyRequest>(&studies);
    const std::optional<analysis::Placement> asked =
        request != nullptr ? request->placement : std::nullopt;
    const analysis::Placement* known = overGround_ ? &overGround_->placement : nullptr;
    if (asked.has_value() != (known != nullptr) || (asked && *asked != *known)) {
        startGround();
        if (stage_ != Stage::Idle) return;  // it runs, or it ended at once and chained on
    }
    if (measurement_ && !advice_ && !rodAdvice_ && tuning_) startAdvice();
}

void DesignSession::setMeasurement(analysis::Measurement measurement) {
    measurement_ = std::move(measurement);
    dropAdvice();
    if (stage_ == Stage::Advice) cancel();  // that advice was of the measurement before
    events_.figuresChanged();
    if (stage_ == Stage::Idle) continueStudies();
}

analysis::Feed feedOf(MatchChoice match) {
    switch (match) {
        case MatchChoice::Hairpin:
        case MatchChoice::Both:  // the hairpin where both are
            return analysis::Feed::Hairpin;
        case MatchChoice::Coax:
            return analysis::Feed::Coax;
        case MatchChoice::None:
        case MatchChoice::Gamma:
        case MatchChoice::Tee200:
        case MatchChoice::Tee50:
            break;
    }
    return analysis::Feed::Direct;
}

void DesignSession::startAdvice() {
    if (!analysis_ || !tuning_ || !measurement_ || !sheet_) return;
    const MatchChoice match = controls_.match();
    if (match == MatchChoice::Both) {
        events_.buildNote(
            uiText("Reading the measurement needs the match the antenna has: choose one only in "
                   "“%1-Ω match”.")
                .arg(QString::fromStdString(analysis::shortest(analysis::kFeedlineOhms))));
        return;
    }
    if (tuning_->rods) {
        stage_ = Stage::Advice;
        launch(std::make_unique<analysis::RodAdvisor>(sheet::antennaOf(*sheet_), *tuning_,
                                                      *measurement_, windowLanguage()),
               uiText("Comparing the measurement with the model…"), &DesignSession::rodAdviceDone);
        return;
    }
    const analysis::Feed feed = feedOf(match);
    stage_ = Stage::Advice;
    launch(std::make_unique<analysis::TrimAdvisor>(sheet::antennaOf(*sheet_), *analysis_, *tuning_,
                                                   feed, *measurement_, windowLanguage()),
           uiText("Comparing the measurement with the model…"), &DesignSession::adviceDone);
}

void DesignSession::adviceDone(
    const std::variant<analysis::TrimAdvice, analysis::Failure>& result) {
    ended(result, advice_, Stage::Advice);
    events_.figuresChanged();
    events_.commandsChanged();
}

void DesignSession::rodAdviceDone(
    const std::variant<analysis::RodAdvice, analysis::Failure>& result) {
    ended(result, rodAdvice_, Stage::Advice);
    events_.figuresChanged();
    events_.commandsChanged();
}

void DesignSession::dropAdvice() {
    advice_.reset();
    rodAdvice_.reset();
}

std::optional<StudyRequest> DesignSession::readStudies() {
    const auto& say = events_.studiesNote ? events_.studiesNote : events_.buildNote;
    auto studies = controls_.studies();
    if (const auto* wrong = std::get_if<QString>(&studies)) {
        say(*wrong);
        return std::nullopt;
    }
    if (events_.studiesNote) events_.studiesNote({});
    return std::get<StudyRequest>(std::move(studies));
}

void DesignSession::dropStudies() {
    dropTuning();
    overGround_.reset();
    tolerance_.reset();
    dropAdvice();
    events_.studiesChanged();
}

void DesignSession::useOptimised(const analysis::Antenna& antenna, analysis::Analysis analysis) {
    if (!design_) return;
    cancel();
    if (!optimised_) originalAnalysis_ = analysis_;
    optimised_ = antenna;
    analysis_ = std::move(analysis);
    dropStudies();
    rebuildSheet();
    setNote({});
    events_.analysisChanged();
    events_.figuresChanged();
    startTuning();
    events_.commandsChanged();
}

void DesignSession::useOriginal() {
    if (!optimised_) return;
    cancel();
    optimised_.reset();
    analysis_ = std::move(originalAnalysis_);
    originalAnalysis_.reset();
    dropStudies();
    rebuildSheet();
    setNote({});
    events_.analysisChanged();
    events_.figuresChanged();
    if (analysis_) {
        startTuning();
    } else if (sheet_) {
        startAnalysis();
    }
    events_.commandsChanged();
}

void DesignSession::cancel() {
    stage_ = Stage::Idle;
    if (run_ == nullptr) return;
    run_->cancel();
    run_.reset();
    events_.running(false);
}

void DesignSession::cancelByUser() {
    const bool study = stage_ == Stage::Ground || stage_ == Stage::Tolerance;
    cancel();
    // A study's cancel leaves the analysis and its figures standing.
    if (study) {
        events_.status(uiText("Cancelled."));
    } else {
        setNote(uiText("Analysis cancelled."));
    }
    events_.commandsChanged();
}

bool DesignSession::analysing() const { return run_ != nullptr && run_->running(); }

void DesignSession::setNote(const QString& note) {
    note_ = note;
    events_.note(note);
}

}  // namespace zeva::ui
