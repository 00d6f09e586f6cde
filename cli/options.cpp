// SPDX-License-Identifier: MIT
#include "cli/options.h"

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

struct Messages {
    const char* unknownOption;
    const char* missingValue;
    const char* badMode;
    const char* badDiameter;
    const char* badFormat;
    const char* badLanguage;
    const char* noFrequency;
    const char* noDiameter;
    const char* unexpected;
    const char* plotNeedsAnalysis;
    const char* notPositive;
    const char* geometryAndDesign;
    const char* badTimeLimit;
    const char* badMounting;
    const char* badLength;
    const char* badMatch;
    const char* badVelocity;
    const char* mountingNeedsBoom;
    const char* matchNeedsAnalysis;
    const char* badEngine;
    const char* boomNeedsMounting;
    const char* largestBelowSmallest;
    const char* onePath;
    const char* badHeight;
    const char* badGround;
    const char* groundNeedsHeight;
    const char* badSweep;
    const char* badTolerance;
    const char* badSamples;
    const char* badSeed;
    const char* samplesNeedTolerance;
    const char* studyNeedsAnalysis;
    const char* measuredNeedsOneMatch;
    const char* ambiguousOption;
    const char* bothToStandardOutput;
};

// clang-format off
const Messages kChinese{
    "未知的选项：", "选项缺少值：", "元件数必须是 2、3、4 或 multi：",
    "元件直径必须是 0 到 21 的目录序号或英寸文字（如 1/2）：", "输出格式必须是 text、csv 或 json：",
    "语言必须是 zh 或 en：", "缺少频率（--frequency）", "缺少元件直径（--diameter）",
    "多余的参数：", "--plot 需要 --analyse", "直径必须大于零：",
    "--geometry 不能与 --elements、--frequency、--diameter、--largest、--smallest 同用",
    "时间限制必须是大于零的秒数：",
    "安装方式必须是 insulators、insulated 或 bonded：",
    "长度必须是大于零的数，可带单位 mm、cm 或 in（默认 mm）：",
    "匹配必须是 hairpin、coax 或 hairpin,coax：", "速度因子必须在 0 和 1 之间：",
    "--mounting insulated 或 bonded 需要 --boom-diameter", "--match 需要 --analyse",
    "求解程序必须是 builtin 或 nec2c：",
    "--boom-diameter 需要 --mounting insulated 或 bonded",
    "锥形元件的最大直径（--largest）小于最小直径（--smallest）",
    "两个输出（--nec、--plot、--figures-csv、--sweep-csv）不能写到同一个文件：",
    "高度必须是大于零的数，可带单位 m、cm、mm、ft 或 in（默认 m）：",
    "地面必须是 perfect、poor、average、good、sea，或 介电常数,电导率（S/m，介电常数至少 1）：",
    "--ground 需要 --height",
    "扫描范围必须是 0 到 10 之间的百分数，或 F1:F2（MHz，F1 < F2）：",
    "公差必须是 长度[,位置]，各为零或正数，可带单位 mm、cm 或 in（默认 mm）：",
    "样本数必须是 1 到 10000 之间的整数：", "种子必须是非负整数：",
    "--samples 和 --seed 需要 --tolerance",
    "--height、--sweep、--tolerance、--measured、--figures-csv 和 --sweep-csv 需要 --analyse",
    "--measured 只能与一种匹配同用：测量的天线是哪一种（--match hairpin 或 coax）？",
    "选项有歧义：", "只有一个输出能写到标准输出（-）"};
const Messages kEnglish{
    "unknown option: ", "option needs a value: ", "element count must be 2, 3, 4 or multi: ",
    "diameter must be a catalogue index 0 to 21 or an inch text such as 1/2: ",
    "format must be text, csv or json: ", "language must be zh or en: ",
    "no frequency given (--frequency)", "no element diameter given (--diameter)",
    "unexpected argument: ", "--plot needs --analyse", "the diameter must be above zero: ",
    "--geometry goes with none of --elements, --frequency, --diameter, --largest, --smallest",
    "the time limit must be a number of seconds above zero: ",
    "mounting must be insulators, insulated or bonded: ",
    "a length must be a number above zero, with mm, cm or in (mm by default): ",
    "match must be hairpin, coax or hairpin,coax: ", "the velocity factor must lie between 0 and 1: ",
    "--mounting insulated or bonded needs --boom-diameter", "--match needs --analyse",
    "the engine must be builtin or nec2c: ",
    "--boom-diameter needs --mounting insulated or bonded",
    "the largest taper diameter (--largest) is below the smallest (--smallest)",
    "two outputs (--nec, --plot, --figures-csv, --sweep-csv) cannot write one file: ",
    "the height must be a number above zero, with m, cm, mm, ft or in (m by default): ",
    "the ground must be perfect, poor, average, good, sea, or PERMITTIVITY,CONDUCTIVITY (S/m, "
    "permittivity at least 1): ",
    "--ground needs --height",
    "the sweep must be a per cent above 0 and at most 10, or F1:F2 in MHz with F1 < F2: ",
    "the tolerance must be LENGTH[,POSITION], each zero or more, with mm, cm or in (mm by "
    "default): ",
    "the samples must be a whole number from 1 to 10000: ",
    "the seed must be a whole number of zero or more: ",
    "--samples and --seed need --tolerance",
    "--height, --sweep, --tolerance, --measured, --figures-csv and --sweep-csv need --analyse",
    "--measured goes with one match at most: which one does the measured antenna have "
    "(--match hairpin or coax)?",
    "ambiguous option: ", "one output at most can go to standard output (-)"};
// clang-format on

const Messages& messagesFor(Language language) {
    return language == Language::English ? kEnglish : kChinese;
}

// The options that take a value, by their long and short names.
enum class Takes {
    Elements,
    Frequency,
    Diameter,
    Largest,
    Smallest,
    Format,
    Language,
    NecFile,
    PlotFile,
    GeometryFile,
    TimeLimit,
    Mounting,
    BoomDiameter,
    Match,
    HairpinWire,
    HairpinSpacing,
    VelocityFactor,
    Engine,
    Height,
    Ground,
    Sweep,
    Tolerance,
    Samples,
    Seed,
    Measured,
    FiguresCsv,
    SweepCsv
};
struct ValueOption {
    std::string_view longName;
    std::string_view shortName;
    Takes takes;
};
constexpr ValueOption kValueOptions[] = {
    {"--elements", "-e", Takes::Elements},
    {"--frequency", "-f", Takes::Frequency},
    {"--diameter", "-d", Takes::Diameter},
    {"--largest", "", Takes::Largest},
    {"--smallest", "", Takes::Smallest},
    {"--format", "", Takes::Format},
    {"--lang", "", Takes::Language},
    {"--nec", "", Takes::NecFile},
    {"--plot", "", Takes::PlotFile},
    {"--geometry", "-g", Takes::GeometryFile},
    {"--time-limit", "", Takes::TimeLimit},
    {"--mounting", "", Takes::Mounting},
    {"--boom-diameter", "", Takes::BoomDiameter},
    {"--match", "", Takes::Match},
    {"--hairpin-wire", "", Takes::HairpinWire},
    {"--hairpin-spacing", "", Takes::HairpinSpacing},
    {"--velocity-factor", "", Takes::VelocityFactor},
    {"--engine", "", Takes::Engine},
    {"--height", "", Takes::Height},
    {"--ground", "", Takes::Ground},
    {"--sweep", "", Takes::Sweep},
    {"--tolerance", "", Takes::Tolerance},
    {"--samples", "", Takes::Samples},
    {"--seed", "", Takes::Seed},
    {"--measured", "", Takes::Measured},
    {"--figures-csv", "", Takes::FiguresCsv},
    {"--sweep-csv", "", Takes::SweepCsv},
};

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

std::variant<SheetOptions, Failure> parseOptions(const std::vector<std::string_view>& arguments,
                                                 Language language) {
    SheetOptions options;
    options.language = language;
    // The language decides the messages, so it is found first, wherever it stands; the last
    // one named holds. Only the options before a "--" count.
    for (std::size_t i = 0; i < arguments.size() && arguments[i] != "--"; ++i) {
        std::string_view named;
        if (arguments[i].starts_with("--lang=")) {
            named = arguments[i].substr(7);
        } else if (arguments[i] == "--lang" && i + 1 < arguments.size()) {
            named = arguments[i + 1];
        }
        if (named == "en") options.language = Language::English;
        if (named == "zh") options.language = Language::Chinese;
    }
    const Messages& say = messagesFor(options.language);
    const auto error = [](const char* what, std::string_view detail = {}) {
        return Failure{std::string(what) + std::string(detail)};
    };

    bool haveFrequency = false;
    bool haveDiameter = false;
    bool haveDesign = false;
    std::optional<nec::Ground> chosenGround;
    analysis::ToleranceRequest tolerance;
    bool toleranceGiven = false;
    bool samplesGiven = false;
    bool studyAsked = false;
    // The long names, the flags' among them, that an unambiguous prefix stands for.
    std::vector<std::string_view> longNames{"--help", "--version", "--analyse", "--analyze",
                                            "--driven-through-boom"};
    for (const ValueOption& o : kValueOptions) longNames.push_back(o.longName);
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string_view name = arguments[i];
        std::optional<std::string_view> inlineValue;
        // "--" ends the options; zeva-sheet takes no other arguments.
        if (name == "--") {
            if (i + 1 < arguments.size()) return error(say.unexpected, arguments[i + 1]);
            break;
        }
        if (name.starts_with("--")) {
            if (const std::size_t equals = name.find('='); equals != std::string_view::npos) {
                inlineValue = name.substr(equals + 1);
                name = name.substr(0, equals);
            }
            if (std::find(longNames.begin(), longNames.end(), name) == longNames.end()) {
                std::vector<std::string_view> matches;
                for (const std::string_view candidate : longNames) {
                    if (candidate.starts_with(name)) matches.push_back(candidate);
                }
                // --analyse and --analyze are one option.
                if (matches.size() == 2 && matches[0] == "--analyse" && matches[1] == "--analyze") {
                    matches.pop_back();
                }
                if (matches.size() > 1) return error(say.ambiguousOption, arguments[i]);
                if (matches.size() == 1) name = matches.front();
            }
        } else if (name.size() > 2 && name[0] == '-' && name[1] != '-') {
            // A short option with its value attached: -f14.2, -e3.
            inlineValue = name.substr(2);
            name = name.substr(0, 2);
        }
        const bool flag = name == "--help" || name == "-h" || name == "--version" ||
                          name == "--analyse" || name == "--analyze" || name == "-a" ||
                          name == "--driven-through-boom";
        if (flag && inlineValue) return error(say.unexpected, arguments[i]);
        if (name == "--help" || name == "-h") {
            options.help = true;
            return options;
        }
        if (name == "--version") {
            options.version = true;
            return options;
        }
        if (name == "--analyse" || name == "--analyze" || name == "-a") {
            options.analyse = true;
            continue;
        }
        if (name == "--driven-through-boom") {
            options.request.construction.drivenThroughBoom = true;
            continue;
        }
        const auto option =
            std::find_if(std::begin(kValueOptions), std::end(kValueOptions),
                         [name](const ValueOption& candidate) {
                             return name == candidate.longName ||
                                    (!candidate.shortName.empty() && name == candidate.shortName);
                         });
        if (option == std::end(kValueOptions)) {
            return name.starts_with("-") ? error(say.unknownOption, arguments[i])
                                         : error(say.unexpected, arguments[i]);
        }
        if (!inlineValue && i + 1 >= arguments.size()) return error(say.missingValue, name);
        const std::string_view text = inlineValue ? *inlineValue : arguments[++i];
        haveDesign = haveDesign || option->takes == Takes::Elements ||
                     option->takes == Takes::Frequency || option->takes == Takes::Diameter ||
                     option->takes == Takes::Largest || option->takes == Takes::Smallest;

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
                // Already applied above; only its value is checked here.
                if (text != "zh" && text != "en") return error(say.badLanguage, text);
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
                double seconds = 0;
                const auto [end, status] =
                    std::from_chars(text.data(), text.data() + text.size(), seconds);
                if (status != std::errc{} || end != text.data() + text.size() || !(seconds > 0)) {
                    return error(say.badTimeLimit, text);
                }
                options.timeLimit = seconds;
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
            case Takes::HairpinSpacing: {
                const std::optional<double> metres = lengthFrom(text);
                if (!metres) return error(say.badLength, text);
                (option->takes == Takes::BoomDiameter  ? options.request.construction.boomDiameter
                 : option->takes == Takes::HairpinWire ? options.request.match.wireDiameter
                                                       : options.request.match.spacing) = *metres;
                break;
            }
            case Takes::Match:
                options.request.match.hairpin =
                    text == "hairpin" || text == "hairpin,coax" || text == "coax,hairpin";
                options.request.match.coax =
                    text == "coax" || text == "hairpin,coax" || text == "coax,hairpin";
                if (!options.request.match.hairpin && !options.request.match.coax)
                    return error(say.badMatch, text);
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
                } else {
                    if (!whole) return error(say.badSeed, text);
                    tolerance.seed = value;
                }
                samplesGiven = true;
                break;
            }
            case Takes::VelocityFactor: {
                double factor = 0;
                const auto [end, status] =
                    std::from_chars(text.data(), text.data() + text.size(), factor);
                if (status != std::errc{} || end != text.data() + text.size() || !(factor > 0) ||
                    factor > 1) {
                    return error(say.badVelocity, text);
                }
                options.request.match.velocityFactor = factor;
                break;
            }
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
    // Each output its own file, and one at most on standard output.
    std::vector<const std::string*> outputs;
    for (const std::string* path :
         {&options.necFile, &options.plotFile, &options.figuresCsvFile, &options.sweepCsvFile}) {
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
    if ((options.request.match.hairpin || options.request.match.coax) && !options.analyse) {
        return error(say.matchNeedsAnalysis);
    }
    if (auto wrong = checkRequest(options.request, options.language)) return *wrong;
    if (!options.geometryFile.empty()) {
        if (haveDesign) return error(say.geometryAndDesign);
        if (!options.plotFile.empty() && !options.analyse) return error(say.plotNeedsAnalysis);
        return options;
    }
    if (!haveFrequency) return error(say.noFrequency);
    if (!haveDiameter) return error(say.noDiameter);
    if (!options.plotFile.empty() && !options.analyse) return error(say.plotNeedsAnalysis);
    return options;
}

}  // namespace zeva::sheet
