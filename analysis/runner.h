// How nec2c is started. The analysis only builds decks and reads outputs; a runner turns the
// decks into outputs. The command line waits for its processes; a window runs them from its
// event loop with its own runner.
#pragma once

#include <atomic>
#include <string>
#include <variant>
#include <vector>

#include "analysis/message.h"

namespace zeva::analysis {

using Outputs = std::variant<std::vector<std::string>, Failure>;

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
    // Runs nec2c on every deck at once; the outputs in the order of the decks, or what failed.
    [[nodiscard]] virtual Outputs run(const std::vector<std::string>& decks) = 0;
};

// A computation that runs nec2c in rounds: it hands out the decks of the next round and takes
// their outputs (or why they could not be had, which ends it), until it has no more decks.
class Stepper {
public:
    virtual ~Stepper() = default;
    [[nodiscard]] virtual const std::vector<std::string>& decks() const = 0;
    virtual void accept(const Outputs& outputs) = 0;
    [[nodiscard]] bool finished() const { return decks().empty(); }
};

// The texts of a round's outputs, or why they cannot be used: the runner's failure, or a
// count other than the round's decks.
[[nodiscard]] std::variant<const std::vector<std::string>*, Failure> roundTexts(
    const Outputs& outputs, std::size_t decks, Language language);

// Runs the stepper's rounds with the runner until it is finished.
void drive(Stepper& stepper, Runner& runner);

// nec2c found on PATH, one process for each deck, in a temporary folder that is removed
// whatever happens. A run past the time limit, or a raised stop flag (set from a signal
// handler), ends every process.
class ProcessRunner : public Runner {
public:
    ProcessRunner(Language language, double timeLimitSeconds, const std::atomic<bool>* stop);
    [[nodiscard]] Outputs run(const std::vector<std::string>& decks) override;

private:
    Language language_;
    double timeLimit_;
    const std::atomic<bool>* stop_;
};

}  // namespace zeva::analysis
