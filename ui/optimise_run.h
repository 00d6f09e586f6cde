// SPDX-License-Identifier: MIT
// The optimiser on a worker thread for the design window: the search, then the analysis of
// its antenna at the converged segmentation and the choice between it and the start. The
// window hears of the best so far and of the end through its event loop, which never waits on
// the work. stop() ends the search and keeps the best so far; cancel() abandons everything.
#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <optional>
#include <thread>
#include <variant>

#include "analysis/analyser.h"
#include "analysis/optimiser.h"

namespace zeva::ui {

// What a search ends in: the optimisation, with the analysis of the optimised antenna where
// it is kept (none where the start is), or why there is none.
struct OptimiseOutcome {
    std::variant<analysis::Optimisation, analysis::Failure> result;
    std::optional<analysis::Analysis> analysis;  // of the optimised antenna, where kept
};

class OptimiseRun final {
public:
    // progress: at most five times a second; concluding: once the search has ended and its
    // antenna is being analysed; done: once, never after cancel(). All on the window's thread.
    OptimiseRun(std::function<void(const analysis::OptimiseProgress&)> progress,
                std::function<void()> concluding, std::function<void(const OptimiseOutcome&)> done);
    OptimiseRun(const OptimiseRun&) = delete;
    OptimiseRun& operator=(const OptimiseRun&) = delete;
    ~OptimiseRun();

    // The result is analysed over the range the start's analysis swept.
    void start(analysis::Antenna start, analysis::Analysis analysis,
               analysis::OptimiseRequest request);
    void stop() { stopSearch_ = true; }
    void cancel();
    [[nodiscard]] bool running() const { return worker_.joinable(); }

private:
    void work(const analysis::Antenna& start, const analysis::Analysis& analysis,
              analysis::OptimiseRequest request);

    std::function<void(const analysis::OptimiseProgress&)> progress_;
    std::function<void()> concluding_;
    std::function<void(const OptimiseOutcome&)> done_;
    std::atomic<bool> stopSearch_{false};
    std::atomic<bool> cancelled_{false};
    QObject context_;  // in the window's thread: the worker's news is posted to it
    std::thread worker_;
};

}  // namespace zeva::ui
