// zeva-sheet: the cut sheet of a design on standard output, optionally its NEC-2 deck, its
// analysis by nec2c and a pattern plot. Errors go to standard error with a non-zero status.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "sheet/cut_sheet.h"
#include "sheet/nec.h"
#include "sheet/options.h"
#include "sheet/render.h"

namespace {

using namespace zeva;
using namespace zeva::sheet;

constexpr int kUsageStatus = 2;

std::string englishKind(ErrorKind kind) {
    switch (kind) {
        case ErrorKind::TypeMismatch:
            return "not a number";
        case ErrorKind::Overflow:
            return "overflow";
        case ErrorKind::DivisionByZero:
            return "division by zero";
        case ErrorKind::InvalidOperation:
            return "invalid operation";
        case ErrorKind::FrequencyNotPositive:
            return "the frequency must be above zero";
        case ErrorKind::ResultNotDisplayable:
            return "a figure too large to show";
    }
    return "error";
}

std::string optionOf(Input input) {
    switch (input) {
        case Input::Frequency:
            return "--frequency";
        case Input::LargestDiameter:
            return "--largest";
        case Input::SmallestDiameter:
            return "--smallest";
        case Input::TaperDiameters:
            return "--largest/--smallest";
        case Input::DecimalFeet:
        case Input::None:
            break;
    }
    return "";
}

std::string engineMessage(const Error& error, Language language) {
    std::string text =
        language == Language::English ? englishKind(error.kind) : std::string(describe(error.kind));
    const std::string option = optionOf(error.input);
    if (!option.empty()) text += (language == Language::English ? ": " : "：") + option;
    return text;
}

int fail(const std::string& message) {
    std::fprintf(stderr, "zeva-sheet: %s\n", message.c_str());
    return 1;
}

}  // namespace

int main(int argc, char* argv[]) {
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    const auto parsed = parseOptions(arguments);
    if (const auto* usageError = std::get_if<Failure>(&parsed)) {
        std::fprintf(stderr, "zeva-sheet: %s\n%s\n", usageError->message.c_str(),
                     "zeva-sheet --help");
        return kUsageStatus;
    }
    const SheetOptions& options = std::get<SheetOptions>(parsed);
    if (options.help) {
        std::fputs(usage(options.language).c_str(), stdout);
        return 0;
    }

    const Result<CutSheet> sheet = makeCutSheet(options);
    if (!sheet.ok()) return fail(engineMessage(sheet.error(), options.language));

    const Model model = modelOf(sheet.value());
    const std::string deck = deckOf(model);
    std::optional<Analysis> analysis;
    if (options.analyse) {
        const auto output = runNec2c(
            {deckOf(model, DeckPart::LowerSweep), deckOf(model, DeckPart::UpperSweepAndPatterns)},
            options.language);
        if (const auto* failure = std::get_if<Failure>(&output)) return fail(failure->message);
        const auto read = parseNecOutput(std::get<std::string>(output), options.language);
        if (const auto* failure = std::get_if<Failure>(&read)) return fail(failure->message);
        const auto result = analyse(std::get<NecOutput>(read), model.frequency, options.language);
        if (const auto* failure = std::get_if<Failure>(&result)) return fail(failure->message);
        analysis = std::get<Analysis>(result);
    }

    // Every file is written only once everything it depends on has succeeded.
    if (!options.necFile.empty()) {
        if (const auto failure = writeWhole(options.necFile, deck, options.language)) {
            return fail(failure->message);
        }
    }
    if (!options.plotFile.empty()) {
        if (const auto failure = writeWhole(
                options.plotFile, patternSvg(*analysis, options.language), options.language)) {
            return fail(failure->message);
        }
    }
    const std::string text = render(sheet.value(), analysis);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
