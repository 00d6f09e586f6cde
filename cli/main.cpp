// SPDX-License-Identifier: MIT
// zeva-sheet: the cut sheet of a design, or an antenna of the user's from a geometry file, on
// standard output, optionally its NEC-2 deck, its analysis by nec2c and a pattern plot.
// Errors go to standard error with a non-zero status.
#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include <unistd.h>
#include <vector>

#include "analysis/analyser.h"
#include "analysis/optimiser.h"
#include "analysis/tuner.h"
#include "cli/options.h"
#include "nec/matrix.h"
#include "sheet/csv_report.h"
#include "sheet/cut_sheet.h"
#include "sheet/render.h"

namespace {

using namespace zeva;
using namespace zeva::sheet;

constexpr int kUsageStatus = 2;

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
    std::string text = translate(language, describe(error.kind));
    const std::string option = optionOf(error.input);
    if (option.empty()) return text;
    return say(language, "%1: %2", {text, option});
}

int fail(const std::string& message) {
    std::fprintf(stderr, "zeva-sheet: %s\n", message.c_str());
    return 1;
}

// A mistake in the command: what is wrong, and where to read how it goes.
int usageError(const std::string& message, Language language) {
    std::fprintf(stderr, "zeva-sheet: %s\n%s\n", message.c_str(),
                 translate(language, "Try 'zeva-sheet --help' for more information."));
    return kUsageStatus;
}

// Writes the text to standard output; a failure (a full disk, a closed pipe) is said.
int writeOut(const std::string& text, Language language) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return 0;
    return fail(say(language, "cannot write standard output"));
}

// SIGINT and SIGTERM raise this flag; the runner then ends nec2c and removes its folder.
std::atomic<bool> stopRequested{false};
volatile std::sig_atomic_t stopSignal = 0;

extern "C" void requestStop(int signal) {
    stopSignal = signal;
    stopRequested.store(true);
}

void catchStopSignals() {
    struct sigaction action {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);  // the terminal closed
}

// Ends the process as the signal would have, once everything is cleaned up.
[[noreturn]] void endBySignal() {
    const int signal = stopSignal;
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    std::_Exit(128 + signal);
}

// An input file: a regular file of at most so many bytes (a long boom's geometry takes a few
// kilobytes, an analyser's sweep of 10 001 steps half a megabyte), so that a folder, a
// device or a stream is refused before any reading.
struct InputKind {
    std::uintmax_t most;
    const char* tooLarge;  // "%1: larger than %2 MiB, …", for the catalogue
};
constexpr InputKind kGeometryFile{kMaxGeometryBytes,
                                  N_("%1: larger than %2 MiB, too large for a geometry file")};
constexpr InputKind kMeasurementFile{analysis::kMaxTouchstoneBytes,
                                     N_("%1: larger than %2 MiB, too large for a measurement")};

std::variant<std::string, Failure> readFile(const std::string& path, const InputKind& kind,
                                            Language language) {
    const auto tooLarge = [&](const std::string& what) {
        return Failure{say(language, kind.tooLarge, {what, std::to_string(kind.most >> 20)})};
    };
    if (path == "-") {
        // Standard input, read up to the same size.
        std::string text;
        char buffer[65536];
        std::size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) {
            text.append(buffer, got);
            if (text.size() > kind.most) {
                return tooLarge(say(language, "standard input"));
            }
        }
        return text;
    }
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        if (!std::filesystem::exists(path, error)) {
            return Failure{say(language, "cannot read %1", {path})};
        }
        return Failure{say(language, "%1: not a regular file", {path})};
    }
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > kind.most) return tooLarge(path);
    std::ifstream in(path, std::ios::binary);
    std::string text;
    text.resize(static_cast<std::size_t>(size));
    in.read(text.data(), static_cast<std::streamsize>(size));
    if (!in) return Failure{say(language, "cannot read %1", {path})};
    return text;
}

int processors() {
    const unsigned count = std::thread::hardware_concurrency();
    return count == 0 ? 1 : static_cast<int>(count);
}

// The optimiser's progress on standard error, where that is a terminal: a bar with the time
// spent against the cap, the best figures so far and the time left, at most ten times a
// second.
analysis::ProgressReport progressBar(Language language) {
    if (isatty(STDERR_FILENO) == 0) return {};
    auto last = std::make_shared<double>(-1.0);
    return [language, last](const analysis::OptimiseProgress& p) {
        if (p.seconds - *last < 0.1) return;
        *last = p.seconds;
        constexpr int kWidth = 20;
        const int filled =
            std::clamp(static_cast<int>(kWidth * p.seconds / p.secondsCap), 0, kWidth);
        const std::string bar = std::string(static_cast<std::size_t>(filled), '#') +
                                std::string(static_cast<std::size_t>(kWidth - filled), '.');
        const std::string text =
            say(language,
                "optimising [%1] %2 tried, best: %3 dBi, F/B %4 dB, SWR %5; at most %6 s left",
                {bar, std::to_string(p.evaluations), analysis::fixed(p.best.gain, 2),
                 analysis::fixed(p.best.frontToBack, 1), analysis::fixed(p.best.swr, 2),
                 analysis::fixed(std::max(0.0, p.secondsCap - p.seconds), 0)});
        std::fprintf(stderr, "\r%s\033[K", text.c_str());
        std::fflush(stderr);
    };
}

}  // namespace

namespace {

int runSheet(int argc, char* argv[]) {
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    const Language locale =
        localeLanguage(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
    const auto parsed = parseOptions(arguments, locale);
    if (const auto* mistake = std::get_if<Failure>(&parsed)) {
        return usageError(mistake->message, languageOf(arguments, locale));
    }
    const SheetOptions& options = std::get<SheetOptions>(parsed);
    if (options.help) {
        std::fputs(usage(options.language).c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::puts("zeva-sheet " ZEVA_VERSION);
        return 0;
    }

    // The outputs are checked before any work, the report counted among them where it goes
    // to standard output.
    std::vector<std::string> outputs;
    for (const std::string* path :
         {&options.necFile, &options.plotFile, &options.figuresCsvFile, &options.sweepCsvFile,
          &options.cutListCsvFile, &options.materialsCsvFile, &options.drawingFile}) {
        if (!path->empty()) outputs.push_back(*path);
    }
    if (std::find(outputs.begin(), outputs.end(), "-") == outputs.end()) outputs.push_back("-");
    std::vector<std::string> inputs;
    for (const std::string* path : {&options.geometryFile, &options.measuredFile}) {
        if (!path->empty()) inputs.push_back(*path);
    }
    if (const auto failure = checkOutputs(outputs, inputs, options.language)) {
        return fail(failure->message);
    }
    // So is the measurement: a file that cannot be read is said before the analysis.
    std::optional<analysis::Measurement> measurement;
    if (!options.measuredFile.empty()) {
        const auto text = readFile(options.measuredFile, kMeasurementFile, options.language);
        if (const auto* failure = std::get_if<Failure>(&text)) return fail(failure->message);
        auto read = analysis::readTouchstone(std::get<std::string>(text), options.language);
        if (const auto* failure = std::get_if<Failure>(&read)) {
            return fail(options.measuredFile + ": " + failure->message);
        }
        measurement = std::move(std::get<analysis::Measurement>(read));
    }

    std::optional<CutSheet> sheet;
    analysis::Antenna antenna;
    if (!options.geometryFile.empty()) {
        const auto text = readFile(options.geometryFile, kGeometryFile, options.language);
        if (const auto* failure = std::get_if<Failure>(&text)) return fail(failure->message);
        auto read = analysis::readGeometry(std::get<std::string>(text), options.language);
        if (const auto* failure = std::get_if<Failure>(&read)) return fail(failure->message);
        antenna = std::move(std::get<analysis::Antenna>(read));
        // The optimiser moves wires; it would leave an element's tubes behind.
        const bool tubes =
            std::any_of(antenna.elements.begin(), antenna.elements.end(),
                        [](const analysis::Element& e) { return !e.sections.empty(); });
        if (tubes && options.optimise) {
            return fail(say(options.language,
                            "the optimiser takes elements of one diameter, not of tubes"));
        }
    } else {
        Result<CutSheet> made = makeCutSheet(options.request, options.language);
        if (!made.ok()) {
            // A figure that is no number is a mistake in the command, as with the options.
            if (made.error().kind == ErrorKind::TypeMismatch) {
                return usageError(engineMessage(made.error(), options.language), options.language);
            }
            return fail(engineMessage(made.error(), options.language));
        }
        sheet = std::move(made.value());
        if (const auto failure = applyBoomCorrection(*sheet)) return fail(failure->message);
        // A schedule that cannot make the design's elements is said before any analysis.
        if (const auto failure = applyTubes(*sheet)) return fail(failure->message);
        antenna = antennaOf(*sheet);
    }

    // The studies' limits that the antenna decides are said before its analysis.
    if (options.placement) {
        if (const auto wrong =
                analysis::checkPlacement(antenna, *options.placement, options.language)) {
            return fail(wrong->message);
        }
    }
    if (options.request.match.rods()) {
        const analysis::Element& driven = antenna.elements[antenna.driven];
        const analysis::RodShape shape =
            analysis::rodShapeFor(options.request.match, driven.diameter);
        if (const auto wrong =
                analysis::checkRods(shape.rodDiameter, shape.spacing, driven.diameter,
                                    driven.length, options.language)) {
            return fail(wrong->message);
        }
    }
    if (options.tolerance) {
        if (const auto wrong =
                analysis::checkTolerance(antenna, *options.tolerance, options.language)) {
            return fail(wrong->message);
        }
    }

    std::optional<analysis::Analysis> result;
    std::optional<analysis::Tuning> tuning;
    std::optional<analysis::OverGround> overGround;
    std::optional<analysis::Tolerance> tolerance;
    std::optional<analysis::TrimAdvice> advice;
    std::optional<analysis::RodAdvice> rodAdvice;
    std::optional<analysis::Optimisation> optimisation;
    if (options.analyse) {
        catchStopSignals();
        // The match the antenna is fed through, as the optimiser and the measurement take it: the
        // hairpin where both are asked for.
        const analysis::Feed feed = options.request.match.hairpin ? analysis::Feed::Hairpin
                                    : options.request.match.coax  ? analysis::Feed::Coax
                                                                  : analysis::Feed::Direct;
        analysis::EngineRunner builtin(options.language, processors(), &stopRequested);
        analysis::ProcessRunner nec2c(options.language, options.timeLimit, &stopRequested,
                                      processors());
        analysis::Runner& runner =
            options.solver == Solver::Nec2c ? static_cast<analysis::Runner&>(nec2c) : builtin;
        auto analysed =
            analysis::analyse(antenna, runner, options.language, processors(), options.sweep);
        if (stopRequested.load()) endBySignal();
        if (const auto* failure = std::get_if<Failure>(&analysed)) return fail(failure->message);
        result = std::move(std::get<analysis::Analysis>(analysed));
        if (options.optimise) {
            analysis::OptimiseRequest request;
            request.goals = *options.optimise;
            request.band = options.sweep.given()
                               ? analysis::Band{options.sweep.low, options.sweep.high}
                               : analysis::defaultBand(antenna.frequency);
            request.feed = feed;
            request.seed = options.seed;
            if (options.tolerance) {  // the tolerance the antennas are judged within as built
                request.asBuilt.length = options.tolerance->length;
                request.asBuilt.position = options.tolerance->position;
            }
            request.seconds = options.optimiseSeconds;
            request.threads = processors();
            request.stop = &stopRequested;
            auto searched = analysis::optimise(antenna, *result, request, options.language,
                                               progressBar(options.language));
            if (isatty(STDERR_FILENO) != 0) std::fputs("\r\033[K", stderr);
            if (const auto* failure = std::get_if<Failure>(&searched)) {
                if (stopRequested.load()) endBySignal();
                return fail(failure->message);
            }
            optimisation = std::move(std::get<analysis::Optimisation>(searched));
            // A stop ends the search only: the best so far is analysed and printed.
            stopRequested.store(false);
            stopSignal = 0;
            if (isatty(STDERR_FILENO) != 0) {
                std::fprintf(stderr, "%s",
                             say(options.language, "analysing the optimised antenna…").c_str());
                std::fflush(stderr);
            }
            auto optimised = analysis::conclude(*optimisation, antenna, *result, runner,
                                                processors(), options.language, &stopRequested);
            if (isatty(STDERR_FILENO) != 0) std::fputs("\r\033[K", stderr);
            if (stopRequested.load()) endBySignal();
            if (optimised) {
                antenna = optimisation->antenna;
                result = std::move(optimised);
                if (sheet) {
                    sheet = withAntenna(*sheet, antenna);
                    if (const auto failure = applyBoomCorrection(*sheet)) {
                        return fail(failure->message);
                    }
                    if (const auto failure = applyTubes(*sheet)) return fail(failure->message);
                }
            }
        }
        // The driven element trimmed to resonance, and the matches asked for.
        auto tuned = analysis::tune(antenna, *result, options.request.match, runner,
                                    options.language, processors());
        if (stopRequested.load()) endBySignal();
        if (const auto* failure = std::get_if<Failure>(&tuned)) return fail(failure->message);
        tuning = std::move(std::get<analysis::Tuning>(tuned));
        // The driven element's tubes for the length its match asks for.
        if (sheet && sheet->tubes) {
            if (const auto failure = applyTubes(*sheet, matchedDrivenLength(*tuning))) {
                return fail(failure->message);
            }
        }
        if (options.placement) {
            auto placed = analysis::studyOverGround(antenna, *result, *options.placement, runner,
                                                    options.language);
            if (stopRequested.load()) endBySignal();
            if (const auto* failure = std::get_if<Failure>(&placed)) return fail(failure->message);
            overGround = std::move(std::get<analysis::OverGround>(placed));
        }
        if (measurement && tuning->rods) {
            auto advised =
                analysis::adviseRods(antenna, *tuning, *measurement, runner, options.language);
            if (stopRequested.load()) endBySignal();
            if (const auto* failure = std::get_if<Failure>(&advised)) {
                return fail(failure->message);
            }
            rodAdvice = std::move(std::get<analysis::RodAdvice>(advised));
        } else if (measurement) {
            auto advised = analysis::adviseTrim(antenna, *result, *tuning, feed, *measurement,
                                                runner, options.language);
            if (stopRequested.load()) endBySignal();
            if (const auto* failure = std::get_if<Failure>(&advised)) {
                return fail(failure->message);
            }
            advice = std::move(std::get<analysis::TrimAdvice>(advised));
        }
        if (options.tolerance) {
            auto studied = analysis::studyTolerance(antenna, *result, *options.tolerance, runner,
                                                    options.language);
            if (stopRequested.load()) endBySignal();
            if (const auto* failure = std::get_if<Failure>(&studied)) {
                return fail(failure->message);
            }
            tolerance = std::move(std::get<analysis::Tolerance>(studied));
        }
    }

    // The files of one run are written together, and only once all they hold is known. A
    // file named "-" goes to standard output instead of the report.
    std::vector<OutputFile> files;
    std::optional<std::string> toStandardOutput;
    if (!options.necFile.empty()) {
        files.push_back({options.necFile, necDeck(antenna, result ? &*result : nullptr)});
    }
    if (!options.plotFile.empty()) {
        files.push_back({options.plotFile, patternSvg(*result, antenna.frequency, options.language,
                                                      overGround ? &*overGround : nullptr)});
    }
    const Report report{options.format,
                        options.language,
                        sheet ? &*sheet : nullptr,
                        antenna,
                        result ? &*result : nullptr,
                        tuning ? &*tuning : nullptr,
                        overGround ? &*overGround : nullptr,
                        tolerance ? &*tolerance : nullptr,
                        advice ? &*advice : nullptr,
                        optimisation ? &*optimisation : nullptr,
                        rodAdvice ? &*rodAdvice : nullptr};
    if (!options.figuresCsvFile.empty()) {
        files.push_back({options.figuresCsvFile, figuresCsv(report)});
    }
    if (!options.sweepCsvFile.empty()) files.push_back({options.sweepCsvFile, sweepCsv(report)});
    if (!options.cutListCsvFile.empty()) {
        files.push_back({options.cutListCsvFile, cutListCsv(report)});
    }
    if (!options.materialsCsvFile.empty()) {
        files.push_back({options.materialsCsvFile, materialsCsv(report)});
    }
    if (!options.drawingFile.empty() && sheet) {
        files.push_back({options.drawingFile, svgOf(workshopDrawing(*sheet))});
    }
    for (auto file = files.begin(); file != files.end(); ++file) {
        if (file->path != "-") continue;
        toStandardOutput = std::move(file->content);
        files.erase(file);
        break;
    }
    // A FIFO nobody reads holds the write until Ctrl-C, which then ends the program as the
    // signal would.
    catchStopSignals();
    const auto failure = writeAll(files, options.language);
    if (stopRequested.load()) endBySignal();
    if (failure) return fail(failure->message);
    if (toStandardOutput) return writeOut(*toStandardOutput, options.language);
    return writeOut(render(report), options.language);
}

}  // namespace

int main(int argc, char* argv[]) {
    zeva::nec::keepBlasToOneThread();
    try {
        return runSheet(argc, argv);
    } catch (const std::bad_alloc&) {
        // Said without making anything more: the message is the catalogue's own text.
        const zeva::Language language =
            localeLanguage(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
        std::fprintf(stderr, "zeva-sheet: %s\n", translate(language, "not enough memory"));
        return 1;
    }
}
