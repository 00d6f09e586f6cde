// SPDX-License-Identifier: MIT
// How decks are solved. The analysis only builds decks and reads results; a runner turns the
// decks into results: NEC-2 in process on a pool of threads, or Debian's nec2c program, the
// reference, one process for each deck.
#pragma once

#include <atomic>
#include <string>
#include <variant>
#include <vector>

#include "analysis/message.h"
#include "analysis/nec_output.h"
#include "nec/deck.h"
#include "nec/engine.h"

namespace zeva::analysis {

// The results of one deck, a frequency each; of a round, one for each deck.
using DeckResults = std::vector<FrequencyResult>;
using Outputs = std::variant<std::vector<DeckResults>, Failure>;

// What nec2c's end means for the user: missing, ended by a signal, failed, silent, too slow.
// Every runner says the same.
[[nodiscard]] Failure nec2cMissing(Language language);
[[nodiscard]] Failure nec2cSignalled(int signal, Language language);
[[nodiscard]] Failure nec2cFailed(int status, Language language);
[[nodiscard]] Failure nec2cSilent(Language language);
[[nodiscard]] Failure nec2cTooSlow(double seconds, Language language);

class Runner {
public:
    virtual ~Runner() = default;
    // Solves every deck; the results in the order of the decks, or what failed.
    [[nodiscard]] virtual Outputs run(const std::vector<nec::Deck>& decks) = 0;
    // Whether the results carry the far fields to full precision (nec2c prints five digits).
    [[nodiscard]] virtual bool exactFields() const { return false; }
};

// A computation that solves decks in rounds: it hands out the decks of the next round and
// takes their results (or why they could not be had, which ends it), until it has no more.
class Stepper {
public:
    virtual ~Stepper() = default;
    [[nodiscard]] virtual const std::vector<nec::Deck>& decks() const = 0;
    virtual void accept(const Outputs& outputs) = 0;
    [[nodiscard]] bool finished() const { return decks().empty(); }
};

// A round's results, or why they cannot be used: the runner's failure, or a count other than
// the round's decks.
[[nodiscard]] std::variant<const std::vector<DeckResults>*, Failure> roundResults(
    const Outputs& outputs, std::size_t decks, Language language);

// The feed of a deck solved at one frequency; none where the results lack it.
[[nodiscard]] const Impedance* singleFeed(const DeckResults& results);
// Why a study stops where a deck's results lack the feed it asked for.
[[nodiscard]] Failure noImpedance(Language language);

// A stepper that ends in its figures or in why there are none. Each round's results are
// checked here, once, and handed to the study's own step; a failure of the runner ends it.
template <class Figures>
class Study : public Stepper {
public:
    [[nodiscard]] const std::vector<nec::Deck>& decks() const final { return decks_; }
    void accept(const Outputs& outputs) final {
        if (finished()) return;
        const auto round = roundResults(outputs, decks_.size(), language_);
        if (const auto* failure = std::get_if<Failure>(&round)) return fail(*failure);
        step(*std::get<const std::vector<DeckResults>*>(round));
    }
    [[nodiscard]] const std::variant<Figures, Failure>& result() const { return result_; }

protected:
    explicit Study(Language language) : language_(language) {}
    // The results of the round's decks, in their order and as many: the next round's decks
    // go into decks_, or the study ends with finish() or fail().
    virtual void step(const std::vector<DeckResults>& results) = 0;
    void fail(Failure failure) {
        decks_.clear();
        result_ = std::move(failure);
    }
    void finish(Figures figures) {
        decks_.clear();
        result_ = std::move(figures);
    }

    Language language_;
    std::vector<nec::Deck> decks_;
    std::variant<Figures, Failure> result_;
};

// What an engine error means for the user.
[[nodiscard]] Failure engineFailure(const nec::Error& error, Language language);

// Runs the stepper's rounds with the runner until it is finished.
void drive(Stepper& stepper, Runner& runner);

// NEC-2 in process: every frequency of every deck a task on a pool of threads, the spare
// threads helping to fill the matrices when there are fewer tasks than threads. A raised stop
// flag (set from a signal handler or a window) ends the round within a fraction of a second.
class EngineRunner : public Runner {
public:
    EngineRunner(Language language, int threads, const std::atomic<bool>* stop);
    [[nodiscard]] Outputs run(const std::vector<nec::Deck>& decks) override;
    [[nodiscard]] bool exactFields() const override { return true; }

private:
    Language language_;
    int threads_;
    const std::atomic<bool>* stop_;
};

// nec2c found on PATH, one process for each deck, at most `processes` at once, each in a
// process group of its own, in a temporary folder that is removed whatever happens. A run past
// the time limit (counted from its own start), a failed run, or a raised stop flag (set from a
// signal handler) ends every process and whatever it started.
class ProcessRunner : public Runner {
public:
    ProcessRunner(Language language, double timeLimitSeconds, const std::atomic<bool>* stop,
                  int processes);
    [[nodiscard]] Outputs run(const std::vector<nec::Deck>& decks) override;

private:
    Language language_;
    double timeLimit_;
    const std::atomic<bool>* stop_;
    int processes_;
};

}  // namespace zeva::analysis
