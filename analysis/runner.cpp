// SPDX-License-Identifier: MIT
#include "analysis/runner.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <new>
#include <optional>
#include <thread>

extern char** environ;

namespace zeva::analysis {

// What nec2c's end means for the user: missing, ended by a signal, failed, silent, too slow.
Failure nec2cMissing(Language language) {
    return {say(language,
                "nec2c not found: install the Debian package nec2c (sudo apt install nec2c)")};
}
Failure nec2cSignalled(int signal, Language language) {
    return {say(language, "nec2c was ended by signal %1", {std::to_string(signal)})};
}
Failure nec2cFailed(int status, Language language) {
    return {say(language, "nec2c failed with exit status %1", {std::to_string(status)})};
}
Failure nec2cSilent(Language language) { return {say(language, "nec2c wrote no output")}; }
Failure nec2cTooSlow(double seconds, Language language) {
    return {say(language, "nec2c ran past the time limit of %1 s and was stopped",
                {shortest(seconds)})};  // 0.5 s, not "0 s"
}

namespace {

Failure analysisStopped(Language language) {
    return {say(language, "the analysis was interrupted")};
}

}  // namespace

std::variant<const std::vector<DeckResults>*, Failure> roundResults(const Outputs& outputs,
                                                                    std::size_t decks,
                                                                    Language language) {
    if (const auto* failure = std::get_if<Failure>(&outputs)) return *failure;
    const auto& results = std::get<std::vector<DeckResults>>(outputs);
    if (results.size() != decks) {
        return Failure{say(language, "wrong number of solved decks")};
    }
    return &results;
}

const Impedance* singleFeed(const DeckResults& results) {
    return results.size() == 1 && results[0].hasFeed ? &results[0].feed : nullptr;
}

Failure noImpedance(Language language) {
    return {say(language, "the NEC-2 results lack the impedance")};
}

Failure engineFailure(const nec::Error& error, Language language) {
    switch (error.fault) {
        case nec::Fault::Stopped:
            return analysisStopped(language);
        case nec::Fault::TooLarge:
            return {say(language, "the model is too large to solve in reasonable time and memory")};
        case nec::Fault::Singular:
            return {say(language, "the NEC-2 equations cannot be solved")};
        case nec::Fault::NoMemory:
            return {say(language, "not enough memory")};
        case nec::Fault::NoBlas:
            return {say(language,
                        "OpenBLAS cannot be loaded: install the Debian package libopenblas0")};
        case nec::Fault::NoWires:
            return {say(language, "the NEC-2 model has no wires")};
        case nec::Fault::BadWire:
            return {say(language, "wire %1 of the NEC-2 model has no valid size",
                        {std::to_string(error.index + 1)})};
        case nec::Fault::BadSource:
            return {say(language, "the feed is on no wire, or of no voltage")};
        case nec::Fault::BadGround:
            return {say(language, "the ground's permittivity or conductivity is not valid")};
        case nec::Fault::GroundIntegrals:
            return {say(language, "Sommerfeld's integrals of the ground do not converge")};
        case nec::Fault::BadLine:
            return {say(language, "transmission line %1 is not valid",
                        {std::to_string(error.index + 1)})};
        case nec::Fault::BadFrequency:
        case nec::Fault::BadCut:
            return {
                say(language, "frequency step %1 is not valid", {std::to_string(error.index + 1)})};
    }
    return {say(language, "a fault in the NEC-2 model")};
}

EngineRunner::EngineRunner(Language language, int threads, const std::atomic<bool>* stop)
    : language_(language), threads_(std::max(1, threads)), stop_(stop) {}

Outputs EngineRunner::run(const std::vector<nec::Deck>& decks) {
    struct Task {
        std::size_t deck, step;
    };
    std::vector<Task> tasks;
    std::vector<DeckResults> results(decks.size());
    for (std::size_t d = 0; d < decks.size(); ++d) {
        const auto checked = nec::check(decks[d]);
        if (const auto* error = std::get_if<nec::Error>(&checked)) {
            return engineFailure(*error, language_);
        }
        results[d].resize(decks[d].steps.size());
        for (std::size_t s = 0; s < decks[d].steps.size(); ++s) tasks.push_back({d, s});
    }
    const std::size_t workers = std::min<std::size_t>(static_cast<std::size_t>(threads_),
                                                      std::max<std::size_t>(1, tasks.size()));
    nec::Options options;
    options.threads = std::max(1, threads_ / static_cast<int>(workers));
    options.stop = stop_;

    std::atomic<std::size_t> next{0};
    std::mutex failed;
    std::optional<nec::Error> firstError;
    std::atomic<bool> halt{false};
    const auto work = [&] {
        for (;;) {
            const std::size_t t = next.fetch_add(1);
            if (t >= tasks.size() || halt.load()) return;
            std::variant<FrequencyResult, nec::Error> solved;
            try {
                solved = nec::solveFrequency(decks[tasks[t].deck], tasks[t].step, options);
            } catch (const std::bad_alloc&) {
                solved = nec::Error{nec::Fault::NoMemory};
            } catch (const std::exception&) {  // out of threads
                solved = nec::Error{nec::Fault::TooLarge};
            }
            if (auto* error = std::get_if<nec::Error>(&solved)) {
                const std::lock_guard lock(failed);
                if (!firstError) firstError = *error;
                halt = true;
                return;
            }
            results[tasks[t].deck][tasks[t].step] = std::move(std::get<FrequencyResult>(solved));
        }
    };
    try {
        nec::inParallel(workers, [&](std::size_t) { work(); });
    } catch (const std::exception&) {  // no thread could be started
        return engineFailure(nec::Error{nec::Fault::TooLarge}, language_);
    }
    if (stop_ != nullptr && stop_->load()) return analysisStopped(language_);
    if (firstError) return engineFailure(*firstError, language_);
    return results;
}

void drive(Stepper& stepper, Runner& runner) {
    while (!stepper.finished()) stepper.accept(runner.run(stepper.decks()));
}

ProcessRunner::ProcessRunner(Language language, double timeLimitSeconds,
                             const std::atomic<bool>* stop, int processes)
    : language_(language),
      timeLimit_(timeLimitSeconds),
      stop_(stop),
      processes_(std::max(1, processes)) {}

Outputs ProcessRunner::run(const std::vector<nec::Deck>& decks) {
    std::error_code error;
    const std::filesystem::path base = std::filesystem::temp_directory_path(error);
    std::string folder = (base / "zeva-nec2c-XXXXXX").string();
    if (error || mkdtemp(folder.data()) == nullptr) {
        return Failure{say(language_, "cannot make a temporary folder for nec2c")};
    }
    struct Cleanup {
        std::filesystem::path folder;
        ~Cleanup() {
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
        }
    } cleanup{folder};

    using Clock = std::chrono::steady_clock;
    struct Run {
        pid_t pid = -1;  // also its process group
        Clock::time_point started;
        int status = 0;
        bool reaped = false;
    };
    // nec2c takes file names of a few dozen characters at most, so it runs in the folder and
    // is given short names there, however long TMPDIR is.
    const auto fileName = [](std::size_t i, const char* suffix) {
        return std::to_string(i) + suffix;
    };
    const auto startRun = [&](std::size_t i) -> std::variant<Run, Failure> {
        std::ofstream out(folder + "/" + fileName(i, ".nec"), std::ios::binary);
        out << nec::toCards(decks[i]);
        out.close();
        if (!out) return Failure{say(language_, "cannot write the deck for nec2c")};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
        // A group of its own, so that whatever it starts is ended with it, and a Ctrl-C at the
        // terminal reaches this program only, which then ends the group.
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
        posix_spawnattr_setpgroup(&attributes, 0);
        std::string inputArgument = "-i" + fileName(i, ".nec");
        std::string outputArgument = "-o" + fileName(i, ".out");
        char program[] = "nec2c";
        char* argv[] = {program, inputArgument.data(), outputArgument.data(), nullptr};
        Run run;
        const int spawned = posix_spawnp(&run.pid, program, &actions, &attributes, argv, environ);
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned == ENOENT) return nec2cMissing(language_);
        if (spawned != 0) {
            return Failure{say(language_, "cannot start nec2c: %1", {std::strerror(spawned)})};
        }
        run.started = Clock::now();
        return run;
    };

    // At most as many nec2c at once as the runner was given processes: a study of hundreds
    // of decks would otherwise start them all. Each run has the whole time limit from its own
    // start. Every started process is reaped, whatever else fails; a stop, a failure or the
    // time limit ends the groups still running.
    std::vector<Run> runs;
    // However this ends (an exception too), no nec2c is left running or unreaped; before the
    // folder is removed.
    struct Reaper {
        std::vector<Run>& runs;
        ~Reaper() {
            for (Run& run : runs) {
                if (run.reaped) continue;
                kill(-run.pid, SIGKILL);
                waitpid(run.pid, &run.status, 0);
            }
        }
    } reaper{runs};
    std::optional<Failure> failure;
    bool killed = false;
    for (;;) {
        std::size_t running = 0;
        bool late = false;
        for (Run& run : runs) {
            if (run.reaped) continue;
            const pid_t done = waitpid(run.pid, &run.status, WNOHANG);
            if (done == run.pid || (done < 0 && errno != EINTR)) {
                run.reaped = true;
                if (!failure && WIFSIGNALED(run.status)) {
                    failure = nec2cSignalled(WTERMSIG(run.status), language_);
                } else if (!failure && (!WIFEXITED(run.status) || WEXITSTATUS(run.status) != 0)) {
                    failure = nec2cFailed(WEXITSTATUS(run.status), language_);
                }
            } else {
                ++running;
                late = late || std::chrono::duration<double>(Clock::now() - run.started).count() >
                                   timeLimit_;
            }
        }
        const bool stopping = stop_ != nullptr && stop_->load();
        if (!failure && (stopping || late)) {
            failure = stopping ? analysisStopped(language_) : nec2cTooSlow(timeLimit_, language_);
        }
        if (failure && !killed) {
            for (const Run& run : runs) {
                if (!run.reaped) kill(-run.pid, SIGKILL);
            }
            killed = true;
        }
        while (!failure && running < static_cast<std::size_t>(processes_) &&
               runs.size() < decks.size()) {
            auto started = startRun(runs.size());
            if (auto* refused = std::get_if<Failure>(&started)) {
                failure = std::move(*refused);
                break;
            }
            runs.push_back(std::get<Run>(started));
            ++running;
        }
        if (running == 0 && (failure || runs.size() == decks.size())) break;
        if (failure && !killed) continue;  // a start failed: end the others at once
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (failure) return *failure;

    std::vector<DeckResults> outputs;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        std::ifstream in(folder + "/" + fileName(i, ".out"), std::ios::binary);
        std::string text{std::istreambuf_iterator<char>(in), {}};
        if (text.empty()) return nec2cSilent(language_);
        auto parsed = parseNecOutput(text, language_);
        if (auto* unreadable = std::get_if<Failure>(&parsed)) return std::move(*unreadable);
        outputs.push_back(std::move(std::get<DeckResults>(parsed)));
    }
    return outputs;
}

}  // namespace zeva::analysis
