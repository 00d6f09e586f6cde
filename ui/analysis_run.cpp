#include "ui/analysis_run.h"

#include <QFile>
#include <QProcess>
#include <utility>

namespace zeva::ui {

using analysis::Failure;
using analysis::Language;

AnalysisRun::AnalysisRun(std::unique_ptr<analysis::Stepper> stepper,
                         std::function<void(int)> progress,
                         std::function<void(analysis::Stepper&)> done)
    : stepper_(std::move(stepper)), progress_(std::move(progress)), done_(std::move(done)) {
    timeLimit_.setSingleShot(true);
    timeLimit_.setInterval(kTimeLimitSeconds * 1000);
    QObject::connect(&timeLimit_, &QTimer::timeout, [this] {
        fail(analysis::nec2cTooSlow(kTimeLimitSeconds, Language::Chinese));
    });
}

AnalysisRun::~AnalysisRun() { endProcesses(); }

void AnalysisRun::start() {
    if (stepper_->finished()) return end();  // refused before any run: the model's limits
    if (!folder_.isValid()) return fail({"无法为 nec2c 建立临时文件夹"});
    runRound();
}

// Hands the finished stepper to the window, once; the window may replace this run meanwhile.
void AnalysisRun::end() {
    if (done_) std::exchange(done_, nullptr)(*stepper_);
}

void AnalysisRun::cancel() {
    endProcesses();
    done_ = nullptr;
}

void AnalysisRun::runRound() {
    ++round_;
    const std::vector<std::string>& decks = stepper_->decks();
    outputs_.clear();
    pending_ = static_cast<int>(decks.size());
    for (std::size_t i = 0; i < decks.size(); ++i) {
        const QString name = QStringLiteral("r%1-%2").arg(round_).arg(i);
        const QString input = folder_.filePath(name + QStringLiteral(".nec"));
        QFile deck(input);
        if (!deck.open(QIODevice::WriteOnly) ||
            deck.write(decks[i].data(), static_cast<qint64>(decks[i].size())) !=
                static_cast<qint64>(decks[i].size()) ||
            !deck.flush()) {
            fail({"无法写出 nec2c 的模型文件"});
            return;
        }
        outputs_.push_back(folder_.filePath(name + QStringLiteral(".out")));
        auto* process = new QProcess;
        process->setProgram(QStringLiteral("nec2c"));
        process->setArguments(
            {QStringLiteral("-i") + input, QStringLiteral("-o") + outputs_.back()});
        process->setStandardOutputFile(QProcess::nullDevice());
        process->setStandardErrorFile(QProcess::nullDevice());
        QObject::connect(process, &QProcess::finished, [this, process] { finishedOne(process); });
        QObject::connect(process, &QProcess::errorOccurred, [this](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart) fail(analysis::nec2cMissing(Language::Chinese));
        });
        processes_.push_back(process);
        process->start();
        if (!done_) return;  // it failed to start, and the run has ended
    }
    timeLimit_.start();
    if (progress_) progress_(round_);
}

void AnalysisRun::finishedOne(QProcess* process) {
    if (process->exitStatus() == QProcess::CrashExit) {
        return fail(analysis::nec2cSignalled(process->exitCode(), Language::Chinese));
    }
    if (process->exitCode() != 0) {
        return fail(analysis::nec2cFailed(process->exitCode(), Language::Chinese));
    }
    if (--pending_ > 0) return;

    timeLimit_.stop();
    std::vector<std::string> texts;
    for (const QString& path : outputs_) {
        QFile output(path);
        if (!output.open(QIODevice::ReadOnly))
            return fail(analysis::nec2cSilent(Language::Chinese));
        const QByteArray text = output.readAll();
        if (text.isEmpty()) return fail(analysis::nec2cSilent(Language::Chinese));
        texts.emplace_back(text.constData(), static_cast<std::size_t>(text.size()));
    }
    endProcesses();
    stepper_->accept(texts);
    if (!stepper_->finished()) return runRound();
    end();
}

void AnalysisRun::fail(Failure failure) {
    endProcesses();
    if (!done_) return;
    stepper_->accept(std::move(failure));
    end();
}

void AnalysisRun::endProcesses() {
    timeLimit_.stop();
    std::vector<QProcess*> processes;
    processes.swap(processes_);
    for (QProcess* process : processes) {
        process->disconnect();
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(1000);  // reaps it: no nec2c outlives the run
        }
        process->deleteLater();  // this may be the process whose signal is being handled
    }
    pending_ = 0;
}

}  // namespace zeva::ui
