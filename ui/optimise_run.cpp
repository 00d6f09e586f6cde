// SPDX-License-Identifier: MIT
#include "ui/optimise_run.h"

#include "ui/analysis_run.h"
#include "ui/language.h"

#include <sys/resource.h>
#include <unistd.h>
#include <QMetaObject>
#include <QThread>

#include <utility>

namespace zeva::ui {

OptimiseRun::OptimiseRun(std::function<void(const analysis::OptimiseProgress&)> progress,
                         std::function<void()> concluding,
                         std::function<void(const OptimiseOutcome&)> done)
    : progress_(std::move(progress)), concluding_(std::move(concluding)), done_(std::move(done)) {}

OptimiseRun::~OptimiseRun() { cancel(); }

void OptimiseRun::start(analysis::Antenna start, analysis::Analysis analysis,
                        analysis::OptimiseRequest request) {
    if (running()) return;
    stopSearch_ = false;
    cancelled_ = false;
    worker_ = std::thread([this, start = std::move(start), analysis = std::move(analysis),
                           request = std::move(request)] { work(start, analysis, request); });
}

void OptimiseRun::work(const analysis::Antenna& start, const analysis::Analysis& analysis,
                       analysis::OptimiseRequest request) {
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), AnalysisRun::kWorkerNiceness);
    const Language language = windowLanguage();
    request.threads = QThread::idealThreadCount();
    request.stop = &stopSearch_;
    double lastTold = -1;
    const analysis::ProgressReport told = [this, &lastTold](const analysis::OptimiseProgress& p) {
        if (p.seconds - lastTold < 0.2) return;
        lastTold = p.seconds;
        QMetaObject::invokeMethod(
            &context_,
            [this, p] {
                if (progress_ && done_) progress_(p);
            },
            Qt::QueuedConnection);
    };
    auto outcome = std::make_shared<OptimiseOutcome>();
    try {
        outcome->result = analysis::optimise(start, analysis, request, language, told);
        if (auto* found = std::get_if<analysis::Optimisation>(&outcome->result);
            found != nullptr && !cancelled_) {
            // The best so far is analysed even after a stop; only a cancel ends it here.
            QMetaObject::invokeMethod(
                &context_,
                [this] {
                    if (concluding_ && done_) concluding_();
                },
                Qt::QueuedConnection);
            analysis::EngineRunner runner(language, QThread::idealThreadCount(), &cancelled_);
            outcome->analysis =
                analysis::conclude(*found, start, analysis, runner, QThread::idealThreadCount(),
                                   language, &cancelled_);
        }
    } catch (const std::exception&) {  // out of memory
        outcome->result = analysis::Failure{say(language, "not enough memory for the analysis")};
    }
    QMetaObject::invokeMethod(
        &context_,
        [this, outcome] {
            if (worker_.joinable()) worker_.join();
            if (done_ && !cancelled_) done_(*outcome);
        },
        Qt::QueuedConnection);
}

void OptimiseRun::cancel() {
    cancelled_ = true;
    stopSearch_ = true;
    if (worker_.joinable()) worker_.join();
}

}  // namespace zeva::ui
