// SPDX-License-Identifier: MIT
#include "cli/options.h"

#include "cli/messages.h"
#include "cli/option_table.h"
#include "sheet/entries.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <optional>

#include "engine/catalogue.h"

namespace zeva::sheet {
namespace {

std::optional<ElementMode> modeNamed(std::string_view name) {
    if (name == "2") return ElementMode::TwoElement;
    if (name == "3") return ElementMode::ThreeElement;
    if (name == "4") return ElementMode::FourElement;
    if (name == "multi") return ElementMode::MultiElement;
    return std::nullopt;
}

// A taper diameter that reads as a number must be above zero: the model's wires take it.
// A text that is no number is left to the engine, which names it as such.
bool readsAsNotPositive(std::string_view text) {
    double value = 0;
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
    return status == std::errc{} && end == text.data() + text.size() && !(value > 0);
}

// A whole number is an index; an inch text may end in "in" or '"', which is how the whole
// inches 1 and 2 are told from the indices 1 and 2.
int diameterFrom(std::string_view text) {
    for (const std::string_view unit : {std::string_view("in"), std::string_view("\"")}) {
        if (text.ends_with(unit)) {
            return diameterByInchText(text.substr(0, text.size() - unit.size()));
        }
    }
    int index = -1;
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), index);
    if (status == std::errc{} && end == text.data() + text.size()) {
        return index >= 0 && static_cast<std::size_t>(index) < DiameterCatalogue.size() ? index
                                                                                        : -1;
    }
    return diameterByInchText(text);
}

std::string_view withoutBlanks(std::string_view text) {
    const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

Language localeLanguage(const char* lcAll, const char* lcMessages, const char* lang) {
    for (const char* name : {lcAll, lcMessages, lang}) {
        if (name == nullptr || *name == '\0') continue;
        const std::string_view locale(name);
        const bool chinese = locale.starts_with("zh") && (locale.size() == 2 || locale[2] == '_' ||
                                                          locale[2] == '.' || locale[2] == '@');
        return chinese ? Language::Chinese : Language::English;
    }
    return Language::English;
}

Language languageOf(const std::vector<std::string_view>& arguments, Language language) {
    // The last one named holds. Only the options before a "--" count, and a value is no
    // option.
    for (std::size_t i = 0; i < arguments.size() && arguments[i] != "--"; ++i) {
        auto [name, value, ambiguous] = argumentOf(arguments[i]);
        const Option* option = optionNamed(name);
        if (option == nullptr || isFlag(option->takes)) continue;
        if (!value && i + 1 < arguments.size()) value = arguments[++i];
        if (option->takes != Takes::Language || !value) continue;
        if (withoutBlanks(*value) == "en") language = Language::English;
        if (withoutBlanks(*value) == "zh") language = Language::Chinese;
    }
    return language;
}

std::variant<SheetOptions, Failure> parseOptions(const std::vector<std::string_view>& arguments,
                                                 Language language) {
    SheetOptions options;
    options.language = language;
    // The language decides the messages, so it is found first, wherever it stands.
    options.language = languageOf(arguments, language);
    const Messages& say = messagesFor(options.language);
    const auto error = [](const std::string& what, std::string_view detail = {}) {
        return Failure{what + std::string(detail)};
    };

    bool haveFrequency = false;
    bool haveDiameter = false;
    bool haveDesign = false;
    std::optional<nec::Ground> chosenGround;
    analysis::ToleranceRequest tolerance;
    bool toleranceGiven = false;
    bool samplesGiven = false;
    bool rodPartsGiven = false;  // --gamma-rod or --gamma-spacing
    bool teeFeedGiven = false;
    bool seedGiven = false;
    bool optimiseTimeGiven = false;
    bool studyAsked = false;
    bool tubePartsGiven = false;  // --overlap, --wall, --stock or a tube CSV
    analysis::TubeSchedule schedule;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        // "--" ends the options; zeva-sheet takes no other arguments.
        if (arguments[i] == "--") {
            if (i + 1 < arguments.size()) return error(say.unexpected, arguments[i + 1]);
            break;
        }
        const auto [name, inlineValue, ambiguous] = argumentOf(arguments[i]);
        if (ambiguous) return error(say.ambiguousOption, arguments[i]);
        const Option* option = optionNamed(name);
        if (option == nullptr) {
            return name.starts_with("-") ? error(say.unknownOption, arguments[i])
                                         : error(say.unexpected, arguments[i]);
        }
        if (isFlag(option->takes)) {
            if (inlineValue) return error(say.unexpected, arguments[i]);
            switch (option->takes) {
                case Takes::Help:
                    options.help = true;
                    return options;
                case Takes::Version:
                    options.version = true;
                    return options;
                case Takes::Analyse:
                    options.analyse = true;
                    break;
                default:
                    options.request.construction.drivenThroughBoom = true;
                    break;
            }
            continue;
        }
        if (!inlineValue && i + 1 >= arguments.size()) return error(say.missingValue, name);
        const std::string_view given = inlineValue ? *inlineValue : arguments[++i];
        haveDesign = haveDesign || option->takes == Takes::Elements ||
                     option->takes == Takes::Frequency || option->takes == Takes::Diameter ||
                     option->takes == Takes::Largest || option->takes == Takes::Smallest;

        // A file option given an empty name would otherwise be skipped in silence.
        const bool namesFile =
            option->takes == Takes::NecFile || option->takes == Takes::PlotFile ||
            option->takes == Takes::GeometryFile || option->takes == Takes::Measured ||
            option->takes == Takes::FiguresCsv || option->takes == Takes::SweepCsv ||
            option->takes == Takes::CutListCsv || option->takes == Takes::MaterialsCsv ||
            option->takes == Takes::Drawing;
        // Blanks around a figure or a word mean nothing, on either side; a file name is taken
        // as it is.
        const std::string_view text = namesFile ? given : withoutBlanks(given);
        if (namesFile && text.empty()) return error(say.emptyPath, name);

        switch (option->takes) {
            case Takes::Elements: {
                const auto mode = modeNamed(text);
                if (!mode) return error(say.badMode, text);
                options.request.design.mode = *mode;
                break;
            }
            case Takes::Frequency:
                options.request.design.frequency = text;
                haveFrequency = true;
                break;
            case Takes::Diameter:
                options.request.design.diameterIndex = diameterFrom(text);
                if (options.request.design.diameterIndex < 0) return error(say.badDiameter, text);
                haveDiameter = true;
                break;
            case Takes::Largest:
                if (readsAsNotPositive(text)) return error(say.notPositive, "--largest");
                options.request.design.largestDiameter = text;
                break;
            case Takes::Smallest:
                if (readsAsNotPositive(text)) return error(say.notPositive, "--smallest");
                options.request.design.smallestDiameter = text;
                break;
            case Takes::Format:
                if (text == "text") {
                    options.format = OutputFormat::Text;
                } else if (text == "csv") {
                    options.format = OutputFormat::Csv;
                } else if (text == "json") {
                    options.format = OutputFormat::Json;
                } else {
                    return error(say.badFormat, text);
                }
                break;
            case Takes::Language:
                // Already applied above, so that every message is in it; checked here.
                if (text != "zh" && text != "en") return error(say.badLanguage, text);
                options.language = text == "en" ? Language::English : Language::Chinese;
                break;
            case Takes::NecFile:
                options.necFile = text;
                break;
            case Takes::PlotFile:
                options.plotFile = text;
                break;
            case Takes::GeometryFile:
                options.geometryFile = text;
                break;
            case Takes::TimeLimit: {
                const auto seconds = plainNumber(text);
                if (!seconds || !(*seconds > 0)) return error(say.badTimeLimit, text);
                options.timeLimit = *seconds;
                break;
            }
            case Takes::Engine:
                if (text == "builtin") {
                    options.solver = Solver::Builtin;
                } else if (text == "nec2c") {
                    options.solver = Solver::Nec2c;
                } else {
                    return error(say.badEngine, text);
                }
                break;
            case Takes::Mounting:
                options.request.construction.mountingGiven = true;
                if (text == "insulators") {
                    options.request.construction.mounting = analysis::Mounting::Insulators;
                } else if (text == "insulated") {
                    options.request.construction.mounting = analysis::Mounting::Insulated;
                } else if (text == "bonded") {
                    options.request.construction.mounting = analysis::Mounting::Bonded;
                } else {
                    return error(say.badMounting, text);
                }
                break;
            case Takes::BoomDiameter:
            case Takes::HairpinWire:
            case Takes::HairpinSpacing:
            case Takes::RodDiameter:
            case Takes::RodSpacing: {
                const std::optional<double> metres = lengthFrom(text);
                if (!metres) return error(say.badLength, text);
                analysis::MatchRequest& match = options.request.match;
                rodPartsGiven = rodPartsGiven || option->takes == Takes::RodDiameter ||
                                option->takes == Takes::RodSpacing;
                (option->takes == Takes::BoomDiameter  ? options.request.construction.boomDiameter
                 : option->takes == Takes::HairpinWire ? match.wireDiameter
                 : option->takes == Takes::RodDiameter ? match.rodDiameter
                 : option->takes == Takes::RodSpacing  ? match.rodSpacing
                                                       : match.spacing) = *metres;
                break;
            }
            case Takes::Match: {
                analysis::MatchRequest& match = options.request.match;
                match.hairpin =
                    text == "hairpin" || text == "hairpin,coax" || text == "coax,hairpin";
                match.coax = text == "coax" || text == "hairpin,coax" || text == "coax,hairpin";
                match.gamma = text == "gamma";
                match.tee = text == "t";
                if (!match.hairpin && !match.coax && !match.rods()) {
                    return error(say.badMatch, text);
                }
                break;
            }
            case Takes::TeeFeed:
                teeFeedGiven = true;
                if (text == "200") {
                    options.request.match.teeFeed = 4 * analysis::kFeedlineOhms;
                } else if (text == "50") {
                    options.request.match.teeFeed = analysis::kFeedlineOhms;
                } else {
                    return error(say.badTeeFeed, text);
                }
                break;
            case Takes::Height: {
                const auto height = heightFrom(text);
                if (!height) return error(say.badHeight, text);
                if (!options.placement) options.placement = analysis::Placement{};
                options.placement->height = *height;
                break;
            }
            case Takes::Ground: {
                const auto ground = analysis::groundNamed(text);
                if (!ground) return error(say.badGround, text);
                chosenGround = *ground;
                break;
            }
            case Takes::Sweep: {
                const auto range = sweepFrom(text);
                if (!range) return error(say.badSweep, text);
                options.sweep = *range;
                studyAsked = true;
                break;
            }
            case Takes::Tolerance: {
                const std::size_t comma = text.find(',');
                const auto length = toleranceFrom(text.substr(0, comma));
                const auto position = comma == std::string_view::npos
                                          ? std::optional<double>(0.0)
                                          : toleranceFrom(text.substr(comma + 1));
                if (!length || !position) return error(say.badTolerance, text);
                tolerance.length = *length;
                tolerance.position = *position;
                toleranceGiven = true;
                break;
            }
            case Takes::Measured:
                options.measuredFile = text;
                studyAsked = true;
                break;
            case Takes::FiguresCsv:
                options.figuresCsvFile = text;
                studyAsked = true;
                break;
            case Takes::SweepCsv:
                options.sweepCsvFile = text;
                studyAsked = true;
                break;
            case Takes::Samples:
            case Takes::Seed: {
                std::uint64_t value = 0;
                const auto [end, status] =
                    std::from_chars(text.data(), text.data() + text.size(), value);
                const bool whole = status == std::errc{} && end == text.data() + text.size();
                if (option->takes == Takes::Samples) {
                    if (!whole || value < 1 || value > analysis::kMaxSamples) {
                        return error(say.badSamples, text);
                    }
                    tolerance.samples = static_cast<int>(value);
                    samplesGiven = true;
                } else {
                    if (!whole) return error(say.badSeed, text);
                    tolerance.seed = value;
                    options.seed = value;
                    seedGiven = true;
                }
                break;
            }
            case Takes::Optimise: {
                auto goals = analysis::parseGoals(text, options.language);
                if (auto* wrong = std::get_if<Failure>(&goals)) return *wrong;
                options.optimise = std::get<analysis::Goals>(goals);
                break;
            }
            case Takes::OptimiseTime: {
                const auto seconds = plainNumber(text);
                if (!seconds || !(*seconds > 0) || *seconds > 86400) {
                    return error(say.badOptimiseTime, text);
                }
                options.optimiseSeconds = *seconds;
                optimiseTimeGiven = true;
                break;
            }
            case Takes::VelocityFactor: {
                const auto factor = plainNumber(text);
                if (!factor || !(*factor > 0) || *factor > 1) return error(say.badVelocity, text);
                options.request.match.velocityFactor = *factor;
                break;
            }
            case Takes::Sections: {
                auto tubes = tubesFrom(text);
                if (!tubes) return error(say.badSections, text);
                schedule.tubes = std::move(*tubes);
                break;
            }
            case Takes::Overlap:
            case Takes::Wall: {
                const auto metres = measureFrom(text);
                if (!metres) return error(say.badLength, text);
                (option->takes == Takes::Overlap ? schedule.overlap : schedule.wall) = *metres;
                tubePartsGiven = true;
                break;
            }
            case Takes::Stock: {
                auto lengths = stockFrom(text);
                if (!lengths) return error(say.badStock, text);
                schedule.stock = std::move(*lengths);
                tubePartsGiven = true;
                break;
            }
            case Takes::CutListCsv:
                options.cutListCsvFile = text;
                tubePartsGiven = true;
                break;
            case Takes::MaterialsCsv:
                options.materialsCsvFile = text;
                tubePartsGiven = true;
                break;
            case Takes::Drawing:
                options.drawingFile = text;
                break;
            case Takes::Help:
            case Takes::Version:
            case Takes::Analyse:
            case Takes::DrivenThroughBoom:
                break;  // the flags, handled above
        }
    }
    if (chosenGround && !options.placement) return error(say.groundNeedsHeight);
    if (options.placement) {
        // Average ground where the height comes alone.
        options.placement->ground =
            chosenGround ? *chosenGround : *analysis::groundNamed("average");
        studyAsked = true;
    }
    if (samplesGiven && !toleranceGiven) return error(say.samplesNeedTolerance);
    if (!schedule.tubes.empty()) {
        if (!options.geometryFile.empty()) return error(say.sectionsNeedDesign);
        options.request.construction.tubes = schedule;
    } else if (tubePartsGiven) {
        return error(say.tubePartsNeedSections);
    }
    // The rod's parts and the T's feed would be silently ignored without their match.
    if (rodPartsGiven && !options.request.match.rods()) return error(say.rodPartsNeedRods);
    if (teeFeedGiven && !options.request.match.tee) return error(say.teeFeedNeedsTee);
    // The optimiser judges the SWR straight into the line or through a hairpin or coaxial
    // transformer; a gamma or T match it does not model.
    if (options.optimise && options.request.match.rods()) return error(say.optimiseWithRods);
    if (seedGiven && !toleranceGiven && !options.optimise) return error(say.seedNeedsStudy);
    if (optimiseTimeGiven && !options.optimise) return error(say.timeNeedsOptimise);
    if (options.optimise) {
        // The optimiser judges by the engine in process and starts from the analysis.
        if (options.solver == Solver::Nec2c) return error(say.optimiseNeedsBuiltin);
        options.analyse = true;
    }
    if (toleranceGiven) {
        options.tolerance = tolerance;
        studyAsked = true;
    }
    if (studyAsked && !options.analyse) return error(say.studyNeedsAnalysis);
    if (!options.measuredFile.empty() && options.request.match.hairpin &&
        options.request.match.coax) {
        return error(say.measuredNeedsOneMatch);
    }
    if (options.request.construction.mounting != analysis::Mounting::Insulators &&
        !(options.request.construction.boomDiameter > 0)) {
        return error(say.mountingNeedsBoom);
    }
    // A boom without a mounting through it would be silently ignored.
    if (options.request.construction.boomDiameter > 0 &&
        options.request.construction.mounting == analysis::Mounting::Insulators) {
        return error(say.boomNeedsMounting);
    }
    const auto largest = measureOf(options.request.design.largestDiameter);
    const auto smallest = measureOf(options.request.design.smallestDiameter);
    if (largest && smallest && *largest < *smallest) return error(say.largestBelowSmallest);
    if (options.geometryFile == "-" && options.measuredFile == "-") {
        return error(say.bothFromStandardInput);
    }
    // Each output its own file, and one at most on standard output.
    std::vector<const std::string*> outputs;
    for (const std::string* path :
         {&options.necFile, &options.plotFile, &options.figuresCsvFile, &options.sweepCsvFile,
          &options.cutListCsvFile, &options.materialsCsvFile, &options.drawingFile}) {
        if (!path->empty()) outputs.push_back(path);
    }
    std::error_code ignored;
    const auto resolved = [&ignored](const std::string& path) {
        return std::filesystem::weakly_canonical(std::filesystem::absolute(path, ignored), ignored);
    };
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        for (std::size_t j = i + 1; j < outputs.size(); ++j) {
            const std::string& one = *outputs[i];
            const std::string& other = *outputs[j];
            if (one == "-" && other == "-") return error(say.bothToStandardOutput);
            if (one == "-" || other == "-") continue;
            const auto a = resolved(one);
            if (one == other || (!a.empty() && a == resolved(other))) {
                return error(say.onePath, other);
            }
        }
    }
    const analysis::MatchRequest& match = options.request.match;
    if ((match.hairpin || match.coax || match.rods()) && !options.analyse) {
        return error(say.matchNeedsAnalysis);
    }
    if (auto wrong = checkRequest(options.request, options.language)) return *wrong;
    if (!options.geometryFile.empty()) {
        if (haveDesign) return error(say.geometryAndDesign);
        if (!options.drawingFile.empty()) return error(say.drawingNeedsDesign);
        if (!options.plotFile.empty() && !options.analyse) return error(say.plotNeedsAnalysis);
        return options;
    }
    if (!haveFrequency) return error(say.noFrequency);
    if (!haveDiameter) return error(say.noDiameter);
    if (!options.plotFile.empty() && !options.analyse) return error(say.plotNeedsAnalysis);
    return options;
}

}  // namespace zeva::sheet
