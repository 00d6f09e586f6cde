// One computation that runs nec2c in rounds (the analysis, the tuning) driven from the event
// loop: its decks go to nec2c processes started with QProcess, their outputs back to it, round
// after round, and the window is told of each round and of the end. Nothing here waits on a
// process except cancel(), which ends them all and reaps them at once.
#pragma once

#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

#include "analysis/runner.h"

class QProcess;

namespace zeva::ui {

class AnalysisRun final {
public:
    // progress(round) is called as each round of nec2c runs starts (from 1); done(stepper)
    // once at the end, with the stepper finished (a failure to run nec2c handed to it), never
    // after cancel().
    AnalysisRun(std::unique_ptr<analysis::Stepper> stepper, std::function<void(int)> progress,
                std::function<void(analysis::Stepper&)> done);
    AnalysisRun(const AnalysisRun&) = delete;
    AnalysisRun& operator=(const AnalysisRun&) = delete;
    ~AnalysisRun();

    void start();
    // Ends every nec2c process of the run and removes its files; done() is not called.
    void cancel();
    [[nodiscard]] bool running() const { return !processes_.empty(); }

    // Seconds one round may take before its processes are ended.
    static constexpr int kTimeLimitSeconds = 300;

private:
    void runRound();
    void finishedOne(QProcess* process);
    void fail(analysis::Failure failure);
    void end();
    void endProcesses();

    std::unique_ptr<analysis::Stepper> stepper_;
    std::function<void(int)> progress_;
    std::function<void(analysis::Stepper&)> done_;
    QTemporaryDir folder_;
    QTimer timeLimit_;
    std::vector<QProcess*> processes_;
    std::vector<QString> outputs_;  // the output file of each process, in deck order
    int round_ = 0;
    int pending_ = 0;
};

}  // namespace zeva::ui
