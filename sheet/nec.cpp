#include "sheet/nec.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <optional>
#include <sstream>

extern char** environ;

namespace zeva::sheet {
namespace {

constexpr double kMetresPerInch = 0.0254;
constexpr double kReferenceOhms = 50.0;

// Twelve significant digits, far finer than any build, whatever the process's locale.
std::string number(double value) {
    constexpr int kDigits = 12;
    char buffer[32];
    const auto [end, status] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, kDigits);
    return status == std::errc{} ? std::string(buffer, end) : "0";
}

std::vector<std::string_view> fieldsOf(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
        if (i > start) fields.push_back(line.substr(start, i - start));
    }
    return fields;
}

std::optional<double> numberIn(std::string_view field) {
    if (!field.empty() && field.front() == '+') field.remove_prefix(1);
    double value = 0;
    const auto [end, status] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (status != std::errc{} || end != field.data() + field.size()) return std::nullopt;
    return value;
}

}  // namespace

Model modelOf(const CutSheet& sheet) {
    Model model;
    const SheetOptions& options = sheet.options;
    model.comments = {"zeva-sheet: Yagi-Uda, " + std::to_string(sheet.elements.size()) +
                          " elements, " + options.frequency + " MHz, diameter " +
                          number(sheet.diameterInches) + " in",
                      "one straight wire per element across the boom, metres, free space"};
    const Result<double> frequency = parseDouble(options.frequency);
    model.frequency = frequency.ok() ? frequency.value() : 0.0;
    const double radius = sheet.diameterInches * kMetresPerInch / 2;
    for (const SheetElement& element : sheet.elements) {
        model.wires.push_back({element.positionMetres, element.lengthMetres, radius});
    }
    model.fedWire = 1;  // the driven element follows the reflector
    return model;
}

double sweepFrequency(double designFrequency, int step) {
    const double start = designFrequency * (1 - kSweepSpan);
    const double increment = designFrequency * 2 * kSweepSpan / (kSweepSteps - 1);
    return start + step * increment;
}

std::string deckOf(const Model& model, DeckPart part) {
    std::string deck;
    for (const std::string& comment : model.comments) deck += "CM " + comment + "\n";
    deck += "CE\n";
    for (std::size_t i = 0; i < model.wires.size(); ++i) {
        const Wire& wire = model.wires[i];
        const std::string x = number(wire.position);
        deck += "GW " + std::to_string(i + 1) + " " + std::to_string(model.segments) + " " + x +
                " " + number(-wire.length / 2) + " 0 " + x + " " + number(wire.length / 2) + " 0 " +
                number(wire.radius) + "\n";
    }
    deck += "GE 0\n";
    deck += "EX 0 " + std::to_string(model.fedWire + 1) + " " +
            std::to_string((model.segments + 1) / 2) + " 0 1 0\n";
    deck += "PT -1 0 0 0\n";  // no table of currents: only the impedance and the patterns
    const double step = sweepFrequency(model.frequency, 1) - sweepFrequency(model.frequency, 0);
    const auto sweep = [&](int first, int count) {
        deck += "FR 0 " + std::to_string(count) + " 0 0 " +
                number(sweepFrequency(model.frequency, first)) + " " + number(step) + "\n";
        deck += "XQ 0\n";
    };
    // The design frequency is the sweep's middle step: its run also gives the patterns, and
    // the upper half follows it, so that the joined outputs keep the sweep's order.
    const int middle = kSweepSteps / 2;
    const auto patterns = [&] {
        deck += "FR 0 1 0 0 " + number(sweepFrequency(model.frequency, middle)) + " 0\n";
        deck += "RP 0 1 361 1000 90 0 0 1\n";  // E-plane: theta 90, phi 0 to 360
        deck += "RP 0 361 1 1000 0 0 1 0\n";   // H-plane: phi 0, theta 0 to 360
    };
    switch (part) {
        case DeckPart::Whole:
            sweep(0, middle);
            patterns();
            sweep(middle + 1, kSweepSteps - middle - 1);
            break;
        case DeckPart::LowerSweep:
            sweep(0, middle);
            break;
        case DeckPart::UpperSweepAndPatterns:
            patterns();
            sweep(middle + 1, kSweepSteps - middle - 1);
            break;
    }
    deck += "EN\n";
    return deck;
}

std::variant<NecOutput, Failure> parseNecOutput(std::string_view text, Language language) {
    const bool english = language == Language::English;
    const auto unreadable = [english](const char* englishRow, const char* chineseRow,
                                      std::string_view line) {
        return Failure{std::string(english ? englishRow : chineseRow) + std::string(line)};
    };
    NecOutput output;
    std::optional<double> frequency;
    enum class Section { None, Input, Pattern } section = Section::None;
    bool rowsStarted = false;
    std::size_t lineStart = 0;
    while (lineStart < text.size()) {
        std::size_t lineEnd = text.find('\n', lineStart);
        if (lineEnd == std::string_view::npos) lineEnd = text.size();
        const std::string_view line = text.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
        const std::vector<std::string_view> fields = fieldsOf(line);

        if (line.find("FREQUENCY :") != std::string_view::npos && !fields.empty()) {
            frequency = numberIn(fields[2]);
            continue;
        }
        if (line.find("ANTENNA INPUT PARAMETERS") != std::string_view::npos) {
            section = Section::Input;
            rowsStarted = false;
            continue;
        }
        if (line.find("RADIATION PATTERNS") != std::string_view::npos) {
            section = Section::Pattern;
            rowsStarted = false;
            output.patterns.emplace_back();
            continue;
        }
        if (section == Section::None) continue;
        const bool numeric = !fields.empty() && numberIn(fields[0]).has_value();
        if (!numeric) {
            // Headings come before the rows; anything after them ends the table.
            if (rowsStarted) section = Section::None;
            continue;
        }
        rowsStarted = true;
        if (section == Section::Input) {
            const auto resistance = fields.size() >= 8 ? numberIn(fields[6]) : std::nullopt;
            const auto reactance = fields.size() >= 8 ? numberIn(fields[7]) : std::nullopt;
            if (!resistance || !reactance || !frequency) {
                return unreadable("unreadable input-parameter row in the nec2c output: ",
                                  "无法读懂 nec2c 输出中的输入参数行：", line);
            }
            output.impedances.push_back({*frequency, *resistance, *reactance});
        } else {
            // THETA PHI VERTC HORIZ TOTAL AXIAL TILT [SENSE] E-THETA(2) E-PHI(2).
            if (fields.size() != 11 && fields.size() != 12) {
                return unreadable("unreadable pattern row in the nec2c output: ",
                                  "无法读懂 nec2c 输出中的方向图行：", line);
            }
            const auto theta = numberIn(fields[0]);
            const auto phi = numberIn(fields[1]);
            const auto total = numberIn(fields[4]);
            if (!theta || !phi || !total) {
                return unreadable("unreadable pattern row in the nec2c output: ",
                                  "无法读懂 nec2c 输出中的方向图行：", line);
            }
            output.patterns.back().push_back({*theta, *phi, *total});
        }
    }
    return output;
}

double swrAgainst50(double resistance, double reactance) {
    const double reflected = std::hypot(resistance - kReferenceOhms, reactance) /
                             std::hypot(resistance + kReferenceOhms, reactance);
    return reflected >= 1 ? std::numeric_limits<double>::infinity()
                          : (1 + reflected) / (1 - reflected);
}

std::variant<Analysis, Failure> analyse(const NecOutput& output, double designFrequency,
                                        Language language) {
    const bool english = language == Language::English;
    if (output.impedances.size() != static_cast<std::size_t>(kSweepSteps) ||
        output.patterns.size() < 2) {
        return Failure{english ? "the nec2c output lacks the sweep or the patterns"
                               : "nec2c 的输出缺少驻波比扫描或方向图"};
    }
    Analysis analysis;
    for (int i = 0; i < kSweepSteps; ++i) {
        const Impedance& z = output.impedances[static_cast<std::size_t>(i)];
        // nec2c prints the frequency to five digits only; the deck's own value is exact.
        analysis.sweep.push_back(
            {sweepFrequency(designFrequency, i), swrAgainst50(z.resistance, z.reactance)});
    }
    analysis.feed = output.impedances[kSweepSteps / 2];
    analysis.feed.frequency = designFrequency;
    analysis.swr = analysis.sweep[kSweepSteps / 2].swr;
    analysis.ePlane = output.patterns[0];
    analysis.hPlane = output.patterns[1];

    const auto gainAt = [&](double phi) -> std::optional<double> {
        for (const PatternPoint& point : analysis.ePlane) {
            if (std::fabs(point.phi - phi) < 1e-6) return point.gain;
        }
        return std::nullopt;
    };
    const auto forward = gainAt(0);
    const auto backward = gainAt(180);
    if (!forward || !backward) {
        return Failure{english ? "the nec2c pattern lacks 0 or 180 degrees"
                               : "nec2c 的方向图缺少 0 或 180 度"};
    }
    analysis.forwardGain = *forward;
    analysis.frontToBack = *forward - *backward;
    return analysis;
}

std::variant<std::string, Failure> runNec2c(const std::vector<std::string>& decks,
                                            Language language) {
    const bool english = language == Language::English;
    std::error_code error;
    const std::filesystem::path base = std::filesystem::temp_directory_path(error);
    std::string folder = (base / "zeva-sheet-XXXXXX").string();
    if (error || mkdtemp(folder.data()) == nullptr) {
        return Failure{english ? "cannot make a temporary folder for nec2c"
                               : "无法为 nec2c 建立临时文件夹"};
    }
    struct Cleanup {
        std::filesystem::path folder;
        ~Cleanup() {
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
        }
    } cleanup{folder};

    struct Run {
        std::string input;
        std::string output;
        pid_t pid = -1;
    };
    std::vector<Run> runs;
    std::optional<Failure> failure;
    for (std::size_t i = 0; i < decks.size() && !failure; ++i) {
        Run run{folder + "/part" + std::to_string(i) + ".nec",
                folder + "/part" + std::to_string(i) + ".out"};
        std::ofstream out(run.input, std::ios::binary);
        out << decks[i];
        out.close();
        if (!out) {
            failure =
                Failure{english ? "cannot write the deck for nec2c" : "无法写出 nec2c 的模型文件"};
            break;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        std::string inputArgument = "-i" + run.input;
        std::string outputArgument = "-o" + run.output;
        char program[] = "nec2c";
        char* argv[] = {program, inputArgument.data(), outputArgument.data(), nullptr};
        const int spawned = posix_spawnp(&run.pid, program, &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            failure = Failure{english ? "nec2c not found: install the Debian package nec2c"
                                      : "找不到 nec2c：请安装 Debian 软件包 nec2c"};
            break;
        }
        runs.push_back(std::move(run));
    }

    // Every started run is waited for, even after another has failed.
    std::string joined;
    for (const Run& run : runs) {
        int status = 0;
        while (waitpid(run.pid, &status, 0) < 0 && errno == EINTR) {
        }
        if (failure) continue;
        if (WIFSIGNALED(status)) {
            failure = Failure{(english ? "nec2c was ended by signal " : "nec2c 被信号终止：") +
                              std::to_string(WTERMSIG(status))};
        } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            failure =
                Failure{(english ? "nec2c failed with exit status " : "nec2c 失败，退出状态 ") +
                        std::to_string(WEXITSTATUS(status))};
        } else {
            std::ifstream in(run.output, std::ios::binary);
            const std::string text{std::istreambuf_iterator<char>(in), {}};
            if (text.empty())
                failure = Failure{english ? "nec2c wrote no output" : "nec2c 没有输出"};
            joined += text;
        }
    }
    if (failure) return *failure;
    return joined;
}

}  // namespace zeva::sheet
