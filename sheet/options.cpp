// SPDX-License-Identifier: MIT
#include "sheet/options.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <optional>

#include "engine/catalogue.h"

namespace zeva::sheet {
namespace {

// Lower case, runs of blanks as one, no blanks at the ends.
std::string folded(std::string_view text) {
    std::string out = withSingleBlanks(text);
    for (char& ch : out) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return out;
}

// The catalogue text without its millimetre label: "1 1/8      28.6mm" gives "1 1/8".
std::string inchText(std::string_view entry) {
    std::string text = folded(entry);
    const std::size_t label = text.rfind(' ');
    return label == std::string::npos ? text : text.substr(0, label);
}

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

// A number as a builder writes it: 25.4, 3/8 or a mixed fraction such as 1 1/4.
std::optional<double> measureOf(std::string_view text) {
    const auto plain = [](std::string_view t) -> std::optional<double> {
        double value = 0;
        const auto [end, status] = std::from_chars(t.data(), t.data() + t.size(), value);
        if (status != std::errc{} || end != t.data() + t.size()) return std::nullopt;
        return value;
    };
    const auto fraction = [&](std::string_view t) -> std::optional<double> {
        const std::size_t slash = t.find('/');
        if (slash == std::string_view::npos) return plain(t);
        const auto over = plain(t.substr(0, slash));
        const auto under = plain(t.substr(slash + 1));
        if (!over || !under || !(*under > 0)) return std::nullopt;
        return *over / *under;
    };
    const std::size_t blank = text.find(' ');
    if (blank == std::string_view::npos) return fraction(text);
    const auto whole = plain(text.substr(0, blank));
    const auto part = fraction(text.substr(blank + 1));
    if (!whole || !part || !(*whole >= 0) || !(*part >= 0) ||
        text.substr(blank + 1).find('/') == std::string_view::npos) {
        return std::nullopt;
    }
    return *whole + *part;
}

// A length in metres from "25.4", "25.4mm", "2.54cm" or "1in" (millimetres by default);
// nothing where it is no number above zero.
std::optional<double> lengthFrom(std::string_view text) {
    double scale = 0.001;
    for (const auto& [unit, metres] : {std::pair<std::string_view, double>{"mm", 0.001},
                                       {"cm", 0.01},
                                       {"in", 0.0254},
                                       {"\"", 0.0254}}) {
        if (text.ends_with(unit)) {
            text.remove_suffix(unit.size());
            scale = metres;
            break;
        }
    }
    while (text.ends_with(' ')) text.remove_suffix(1);
    const auto value = measureOf(text);
    if (!value || !(*value > 0) || !std::isfinite(*value)) return std::nullopt;
    return *value * scale;
}

// A number that is the whole text and finite.
std::optional<double> plainNumber(std::string_view text) {
    double value = 0;
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (status != std::errc{} || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
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

}  // namespace

// A height in metres from "10", "10m", "1000cm", "33ft" or "400in" (metres by default).
std::optional<double> heightFrom(std::string_view text) {
    double scale = 1;
    for (const auto& [unit, metres] : {std::pair<std::string_view, double>{"mm", 0.001},
                                       {"cm", 0.01},
                                       {"m", 1},
                                       {"ft", 0.3048},
                                       {"in", 0.0254}}) {
        if (text.ends_with(unit)) {
            text.remove_suffix(unit.size());
            scale = metres;
            break;
        }
    }
    while (text.ends_with(' ')) text.remove_suffix(1);
    const auto value = plainNumber(text);
    if (!value || !(*value > 0)) return std::nullopt;
    return *value * scale;
}

// A tolerance in metres: a length as lengthFrom() reads it, or zero.
std::optional<double> toleranceFrom(std::string_view text) {
    std::string_view bare = text;
    for (const std::string_view unit : {"mm", "cm", "in"}) {
        if (bare.ends_with(unit)) bare.remove_suffix(unit.size());
    }
    if (const auto value = plainNumber(bare); value && *value == 0) return 0.0;
    return lengthFrom(text);
}

// "2" (per cent about the design frequency) or "14.0:14.35" (MHz).
std::optional<analysis::SweepRange> sweepFrom(std::string_view text) {
    analysis::SweepRange range;
    if (const std::size_t colon = text.find(':'); colon != std::string_view::npos) {
        const auto low = plainNumber(text.substr(0, colon));
        const auto high = plainNumber(text.substr(colon + 1));
        if (!low || !high || !(*low > 0) || !(*high > *low)) return std::nullopt;
        range.low = *low;
        range.high = *high;
        return range;
    }
    const auto percent = plainNumber(text);
    if (!percent || !(*percent > 0) || *percent > analysis::kMaxSweepSpan * 100) {
        return std::nullopt;
    }
    range.span = *percent / 100;
    return range;
}

std::string withSingleBlanks(std::string_view text) {
    std::string out;
    for (const char ch : text) {
        if (ch == ' ' || ch == '\t') {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += ch;
        }
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

int diameterByInchText(std::string_view text) {
    const std::string wanted = folded(text);
    for (std::size_t i = 0; i < DiameterCatalogue.size(); ++i) {
        if (inchText(DiameterCatalogue[i].text) == wanted) return static_cast<int>(i);
    }
    return -1;
}

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
            options.drivenThroughBoom = true;
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
                options.mode = *mode;
                break;
            }
            case Takes::Frequency:
                options.frequency = text;
                haveFrequency = true;
                break;
            case Takes::Diameter:
                options.diameterIndex = diameterFrom(text);
                if (options.diameterIndex < 0) return error(say.badDiameter, text);
                haveDiameter = true;
                break;
            case Takes::Largest:
                if (readsAsNotPositive(text)) return error(say.notPositive, "--largest");
                options.largestDiameter = text;
                break;
            case Takes::Smallest:
                if (readsAsNotPositive(text)) return error(say.notPositive, "--smallest");
                options.smallestDiameter = text;
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
                options.mountingGiven = true;
                if (text == "insulators") {
                    options.mounting = analysis::Mounting::Insulators;
                } else if (text == "insulated") {
                    options.mounting = analysis::Mounting::Insulated;
                } else if (text == "bonded") {
                    options.mounting = analysis::Mounting::Bonded;
                } else {
                    return error(say.badMounting, text);
                }
                break;
            case Takes::BoomDiameter:
            case Takes::HairpinWire:
            case Takes::HairpinSpacing: {
                const std::optional<double> metres = lengthFrom(text);
                if (!metres) return error(say.badLength, text);
                (option->takes == Takes::BoomDiameter  ? options.boomDiameter
                 : option->takes == Takes::HairpinWire ? options.match.wireDiameter
                                                       : options.match.spacing) = *metres;
                break;
            }
            case Takes::Match:
                options.match.hairpin =
                    text == "hairpin" || text == "hairpin,coax" || text == "coax,hairpin";
                options.match.coax =
                    text == "coax" || text == "hairpin,coax" || text == "coax,hairpin";
                if (!options.match.hairpin && !options.match.coax) return error(say.badMatch, text);
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
                options.match.velocityFactor = factor;
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
    if (!options.measuredFile.empty() && options.match.hairpin && options.match.coax) {
        return error(say.measuredNeedsOneMatch);
    }
    if (options.mounting != analysis::Mounting::Insulators && !(options.boomDiameter > 0)) {
        return error(say.mountingNeedsBoom);
    }
    // A boom without a mounting through it would be silently ignored.
    if (options.boomDiameter > 0 && options.mounting == analysis::Mounting::Insulators) {
        return error(say.boomNeedsMounting);
    }
    const auto largest = measureOf(options.largestDiameter);
    const auto smallest = measureOf(options.smallestDiameter);
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
    if ((options.match.hairpin || options.match.coax) && !options.analyse) {
        return error(say.matchNeedsAnalysis);
    }
    if (auto wrong = analysis::checkMatch(options.match, options.language)) return *wrong;
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

std::string usage(Language language) {
    if (language == Language::English) {
        return R"(Usage: zeva-sheet --frequency MHZ --diameter D [OPTION]...
The cut sheet of a Yagi-Uda antenna: every element's length (decimal feet, centimetres,
feet-inches-64ths), its spacing from the element before it, its position from the
reflector, and the boom length. Optionally a NEC-2 deck and its analysis.

  -e, --elements MODE    2, 3, 4 or multi (21 directors; the default)
  -f, --frequency MHZ    design frequency in MHz
  -d, --diameter D       element diameter: catalogue index 0 to 21, or its inch text
                         (such as 1/2, "1 1/8", "AWG 14"; 1in and 2in for whole inches)
      --largest IN       largest diameter of a tapered element, inches (default 1)
      --smallest IN      smallest diameter of a tapered element, inches (default 1)
      --format FORMAT    text (the default), csv (the sheet's table alone) or json
      --lang LANG        zh or en (by default the locale's: LC_ALL, LC_MESSAGES, LANG)
  -g, --geometry FILE    analyse the antenna of a JSON file instead of a design: its
                         frequency_mhz, unit (m, cm, mm, in, ft) and elements, each with
                         name, length, position, diameter and, for one, "driven": true;
                         the JSON that --format json writes reads back as it is; - reads
                         standard input
      --nec FILE         write the NEC-2 deck (at the converged segmentation with --analyse)
  -a, --analyse          analyse with NEC-2: gain (dBi, dBd), front-to-back and front-to-rear
                         ratios, impedance, SWR, beamwidths, sidelobe, stacking distances,
                         and gain, F/B and SWR across the sweep (--sweep)
      --plot FILE.svg    with --analyse: E-plane and H-plane patterns as an SVG (and the
                         elevation pattern with --height)
      --figures-csv FILE  with --analyse: the analysis' figures as one CSV row, each
                         heading with its unit
      --sweep-csv FILE   with --analyse: the sweep as a CSV table, a row a frequency
                         (for --nec, --plot and the CSV files, - writes standard output
                         instead of the sheet)
      --engine NAME      builtin (NEC-2 in process, the default) or nec2c (Debian's
                         nec2c program, the reference; slower)
      --time-limit S     seconds one nec2c run may take (default 300)
      --mounting HOW     how the elements are mounted: insulators (above the boom, no
                         correction), insulated or bonded (through a round metal boom)
      --boom-diameter D  the boom's outer diameter (mm, or with cm or in; 25.4, 3/4in,
                         "1 1/4in")
      --driven-through-boom  the driven element passes through the boom too
      --match KIND       with --analyse: hairpin, coax or hairpin,coax: a 50-ohm match
      --hairpin-wire D   diameter of the hairpin's wires (default 3 mm)
      --hairpin-spacing S  spacing of the hairpin's wires, centre to centre (default 50 mm)
      --velocity-factor V  of the coaxial transformer's cable (default 0.66)
      --sweep PCT|F1:F2  with --analyse: sweep the design frequency +/- PCT % (default 2,
                         at most 10) or from F1 to F2 MHz (within +/-10 %)
      --height H         with --analyse: the antenna H above the ground, its elements
                         horizontal (metres, or with cm, mm, ft, in): takeoff angle, gain
                         there, elevation beamwidth, F/B there, feed impedance over ground
      --ground KIND      perfect, poor, average (the default), good, sea, or EPS,SIGMA
                         (relative permittivity, conductivity in S/m)
      --tolerance L[,P]  with --analyse: every element's length off by up to L and its
                         position by up to P (mm, or with cm, in): the spread of SWR,
                         resonance, gain and F/B, and the elements that matter most
      --samples N        antennas drawn for --tolerance (default 200)
      --seed N           where the draw starts (default 1): the same seed, the same samples
      --measured FILE    with --analyse: a one-port Touchstone sweep (.s1p) of the antenna
                         as built, measured at its feed (through the match given with
                         --match, one at most): the least SWR, the resonance, the impedance
                         at the design frequency, and how much to trim
  -h, --help             this text
      --version          the program's name and version

Every file of a run is written, or none. Tapered elements are modelled with the mean of the
largest and smallest diameters; the output says how far their figures hold (a model of the
taper's steps differs by up to about 0.2 dB and 6 ohms for tapers up to 2.5:1). A geometry
file must name its unit, and is refused when larger than 1 MiB, with more than 300 elements,
an element longer than 3 wavelengths or a boom longer than 200 wavelengths: the analysis
refuses them.

The analysis: each element one straight wire in free space, fed at its middle segment,
NEC-2's extended thin-wire kernel. The segments are doubled from 25 a wavelength until a
doubling moves R and X by less than 0.5 ohm and the gain by less than 0.02 dB; every figure
comes from the segmentation so found. It refuses, with exit status 1:
  - an element thicker than a thin-wire model allows (circumference over 0.1 wavelength);
  - figures that would need segments shorter than two radii to converge (the extended
    kernel's limit), or more than 800 segments a wavelength;
  - elements that overlap;
  - a design that is no beam: its strongest lobe more than 30 degrees off the directors.
The sweep solves nine of its 21 steps and takes the others from rational fits of the
impedance and the fields where two fits of different order agree within 0.05 ohm and
0.005 dB; the others are solved too (--engine nec2c solves every step). With the analysis,
the driven element is trimmed to zero reactance at the design frequency by a few solutions
at that segmentation.

From design to antenna: an element through a metal boom is lengthened by a fraction of the
boom diameter d that depends on b = d / wavelength (DL6WU's method as fitted by G3SEK, for b
below 0.055): bonded 733b(0.055 - b) - 504b(0.03 - b), insulated 12.5975b - 114.5b^2; the
analysis keeps modelling the design lengths. A hairpin match shortens the driven element to
R - j sqrt(R(50 - R)) and shunts it with 50 sqrt(R/(50 - R)) ohms, a shorted two-wire line of
276 log10(2S/d) ohms; a quarter-wave transformer needs sqrt(50 R) ohms, made of the nearest of
50, 75 and 93-ohm cable, one or two in parallel. Each gives its SWR across the sweep, or says
why it is not worth building (R of 50 ohms or more, or an SWR of 1.2 or more).
)";
    }
    return R"(用法：zeva-sheet --frequency MHZ --diameter D [选项]...
八木天线下料表：每个元件的长度（十进制英尺、厘米、英尺-英寸-1/64）、与前一元件的间距、
距反射器的位置，以及天线杆长度。可另写 NEC-2 模型文件并做 NEC-2 分析。

  -e, --elements MODE    2、3、4 或 multi（21 个引向器；默认）
  -f, --frequency MHZ    设计频率（MHz）
  -d, --diameter D       元件直径：目录序号 0 到 21，或英寸文字（如 1/2、"1 1/8"、"AWG 14"；
                         整英寸写作 1in、2in）
      --largest IN       锥形元件的最大直径（英寸，默认 1）
      --smallest IN      锥形元件的最小直径（英寸，默认 1）
      --format FORMAT    text（默认）、csv（仅下料表）或 json
      --lang LANG        zh 或 en（默认随区域设置：LC_ALL、LC_MESSAGES、LANG）
  -g, --geometry FILE    分析 JSON 文件中的天线而不是设计：frequency_mhz、unit（m、cm、mm、
                         in、ft）和 elements，每个元件有 name、length、position、diameter，
                         驱动元件另有 "driven": true；--format json 写出的 JSON 可原样读回；
                         - 读标准输入
      --nec FILE         写出 NEC-2 模型文件（与 --analyse 同用时按收敛的分段）
  -a, --analyse          用 NEC-2 分析：增益（dBi、dBd）、前后比、整个后半空间的前后比、
                         馈点阻抗、驻波比、波束宽度、旁瓣、叠放间距，以及扫描范围（--sweep）
                         内每一步的增益、前后比和驻波比
      --plot FILE.svg    与 --analyse 同用：E 面和 H 面方向图（SVG；与 --height 同用时另有
                         仰角方向图）
      --figures-csv FILE  与 --analyse 同用：分析结果写成一行 CSV，标题带单位
      --sweep-csv FILE   与 --analyse 同用：扫描写成 CSV 表，每个频率一行
                         （--nec、--plot 和这两个 CSV 文件的 - 写到标准输出，代替下料表）
      --engine NAME      builtin（程序内的 NEC-2，默认）或 nec2c（Debian 的 nec2c 程序，
                         作为参照；较慢）
      --time-limit S     每次运行 nec2c 的时间上限（秒，默认 300）
      --mounting HOW     元件的安装方式：insulators（装在杆上方的绝缘子上，不修正）、
                         insulated 或 bonded（穿过圆形金属杆，绝缘或连接）
      --boom-diameter D  天线杆外径（mm，或带 cm、in；如 25.4、3/4in、"1 1/4in"）
      --driven-through-boom  驱动元件也穿过天线杆
      --match KIND       与 --analyse 同用：hairpin、coax 或 hairpin,coax：50 欧匹配
      --hairpin-wire D   发夹匹配导线的直径（默认 3 mm）
      --hairpin-spacing S  发夹匹配两线的中心距（默认 50 mm）
      --velocity-factor V  同轴变换电缆的速度因子（默认 0.66）
      --sweep PCT|F1:F2  与 --analyse 同用：扫描设计频率 ±PCT %（默认 2，至多 10），
                         或从 F1 到 F2 MHz（在 ±10 % 以内）
      --height H         与 --analyse 同用：天线离地高度 H，元件水平（米，或带 cm、mm、ft、
                         in）：仰角、该处增益、仰角波束宽度、该仰角的前后比、离地馈点阻抗
      --ground KIND      perfect、poor、average（默认）、good、sea，或 介电常数,电导率（S/m）
      --tolerance L[,P]  与 --analyse 同用：每个元件的长度至多差 L、位置至多差 P（mm，或带
                         cm、in）：驻波比、谐振、增益和前后比的分布，以及影响最大的元件
      --samples N        公差分析的样本数（默认 200）
      --seed N           抽样的起点（默认 1）：同一种子，同样的样本
      --measured FILE    与 --analyse 同用：建成的天线在馈电点测得的单端口 Touchstone 扫描
                         （.s1p；有匹配时用 --match 说明是哪一种，至多一种）：最小驻波比、
                         谐振、设计频率上的阻抗，以及该修剪多少
  -h, --help             显示本说明
      --version          显示程序名称和版本

一次运行的所有文件要么全部写出，要么一个也不写。锥形元件按最大和最小直径的平均值建模，输出会说明
其数字的可信程度（按渐变阶梯建模时，渐变比 2.5:1 以内约差 0.2 dB 和 6 欧）。几何文件必须注明单位；
超过 1 MiB、多于 300 个元件、元件长于 3 个波长或天线杆长于 200 个波长时拒绝分析。

分析方法：每个元件是自由空间中的一根直导线，在中间一段馈电，使用 NEC-2 的扩展细线核。
分段从每波长 25 段起逐次加倍，直到加倍后电阻和电抗的变化都小于 0.5 欧、增益的变化小于
0.02 dB；所有数字都取自这样找到的分段。以下情况拒绝分析，退出状态为 1：
  - 元件对细导线模型太粗（周长超过 0.1 波长）；
  - 要收敛须使分段短于两倍半径（扩展细线核的限度），或超过每波长 800 段；
  - 元件相互重叠；
  - 设计不是定向天线：最强的波瓣偏离引向器方向超过 30 度。
扫描的 21 个频率点中先求解 9 个，其余取自阻抗和场的有理拟合，只在两个不同阶的拟合相差
小于 0.05 欧和 0.005 dB 时采用，否则也直接求解（--engine nec2c 每一点都求解）。分析时还按
同一分段求解几次，把驱动元件调到设计频率上电抗为零的谐振长度。

从设计到天线：穿过金属杆的元件按杆径 d 的一个比例加长，比例取决于 b = d / 波长（DL6WU 方法，
G3SEK 拟合，b 小于 0.055）：连接 733b(0.055 - b) - 504b(0.03 - b)，绝缘 12.5975b - 114.5b^2；
分析仍按设计长度建模。发夹匹配把驱动元件缩短到 R - j√(R(50 - R))，并联 50√(R/(50 - R)) 欧的
电抗，即特性阻抗 276 log10(2S/d) 欧的短路双线；四分之一波长变换需要 √(50R) 欧，取 50、75、
93 欧电缆中最接近的一根或两根并联。每种匹配给出扫描范围内的驻波比，或说明为何不值得做
（R 不低于 50 欧，或驻波比不能低于 1.2）。
)";
}

}  // namespace zeva::sheet
