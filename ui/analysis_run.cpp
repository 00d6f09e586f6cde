// SPDX-License-Identifier: MIT
#include "ui/analysis_run.h"

#include "ui/language.h"

#include <sys/resource.h>
#include <unistd.h>
#include <QMetaObject>
#include <QThread>

#include <utility>

namespace zeva::ui {

AnalysisRun::AnalysisRun(std::unique_ptr<analysis::Stepper> stepper,
                         std::function<void(int)> progress,
                         std::function<void(analysis::Stepper&)> done)
    : stepper_(std::move(stepper)), progress_(std::move(progress)), done_(std::move(done)) {}

AnalysisRun::~AnalysisRun() { cancel(); }

void AnalysisRun::start() {
    if (stepper_->finished()) return end();  // refused before any run: the model's limits
    worker_ = std::thread([this] { work(); });
}

// On the worker: every round, until the stepper has no more decks or the run is stopped.
void AnalysisRun::work() {
    // Below the window's own thread, so that a busy machine still answers clicks and paints
    // at once; the engine's threads, started from this one, inherit it.
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kWorkerNiceness);
    analysis::EngineRunner runner(windowLanguage(), QThread::idealThreadCount(), &stop_);
    int round = 0;
    while (!stepper_->finished() && !stop_.load()) {
        ++round;
        QMetaObject::invokeMethod(
            &context_,
            [this, round] {
                if (progress_ && done_) progress_(round);
            },
            Qt::QueuedConnection);
        analysis::Outputs outputs;
        try {
            outputs = runner.run(stepper_->decks());
        } catch (const std::exception&) {  // out of memory
            outputs =
                analysis::Failure{say(windowLanguage(), "not enough memory for the analysis")};
        }
        stepper_->accept(outputs);
    }
    QMetaObject::invokeMethod(
        &context_, [this] { end(); }, Qt::QueuedConnection);
}

// Hands the finished stepper to the window, once; the window may replace this run meanwhile.
void AnalysisRun::end() {
    if (worker_.joinable()) worker_.join();  // it has posted its last news and is ending
    if (done_) std::exchange(done_, nullptr)(*stepper_);
}

void AnalysisRun::cancel() {
    done_ = nullptr;
    stop_ = true;
    if (worker_.joinable()) worker_.join();
}

}  // namespace zeva::ui
