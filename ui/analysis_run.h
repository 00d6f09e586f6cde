// One analysis of an antenna run from the event loop: the analyser's decks go to nec2c
// processes started with QProcess, their outputs back to the analyser, round after round,
// and the window is told of each round and of the end. Nothing here waits on a process
// except cancel(), which ends them all and reaps them at once.
#pragma once

#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <variant>
#include <vector>

#include "analysis/analyser.h"

class QProcess;

namespace zeva::ui {

class AnalysisRun final {
public:
    using Result = std::variant<analysis::Analysis, analysis::Failure>;

    // progress(round) is called as each round of nec2c runs starts (from 1); done(result) once
    // at the end, never after cancel(). processes: how many nec2c processes the sweep shares.
    AnalysisRun(analysis::Antenna antenna, int processes, std::function<void(int)> progress,
                std::function<void(const Result&)> done);
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
    void endProcesses();

    analysis::Analyser analyser_;
    std::function<void(int)> progress_;
    std::function<void(const Result&)> done_;
    QTemporaryDir folder_;
    QTimer timeLimit_;
    std::vector<QProcess*> processes_;
    std::vector<QString> outputs_;  // the output file of each process, in deck order
    int round_ = 0;
    int pending_ = 0;
};

}  // namespace zeva::ui
