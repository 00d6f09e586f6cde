// SPDX-License-Identifier: MIT
// One computation that solves NEC-2 decks in rounds (the analysis, the tuning), run on a
// worker thread with the engine in process: the window is told of each round and of the end
// through its event loop, which never waits on the work. cancel() raises the engine's stop
// flag, which it sees within a fraction of a second, and waits for the worker to end.
#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "analysis/runner.h"

namespace zeva::ui {

class AnalysisRun final {
public:
    // progress(round) is called as each round starts (from 1); done(stepper) once at the
    // end, with the stepper finished, never after cancel(). Both on the window's thread.
    AnalysisRun(std::unique_ptr<analysis::Stepper> stepper, std::function<void(int)> progress,
                std::function<void(analysis::Stepper&)> done);
    AnalysisRun(const AnalysisRun&) = delete;
    AnalysisRun& operator=(const AnalysisRun&) = delete;
    ~AnalysisRun();

    void start();
    // Stops the work and waits for the worker; done() is not called.
    void cancel();
    [[nodiscard]] bool running() const { return worker_.joinable(); }

    // The worker's nice value: the window's thread comes first.
    static constexpr int kWorkerNiceness = 10;

private:
    void work();
    void end();

    std::unique_ptr<analysis::Stepper> stepper_;
    std::function<void(int)> progress_;
    std::function<void(analysis::Stepper&)> done_;
    std::atomic<bool> stop_{false};
    QObject context_;  // in the window's thread: the worker's news is posted to it
    std::thread worker_;
};

}  // namespace zeva::ui
