// SPDX-License-Identifier: MIT
#include "cli/options.h"
#include "sheet/entries.h"

#include <gtest/gtest.h>

namespace zeva::sheet {
namespace {

SheetOptions parsed(const std::vector<std::string_view>& arguments) {
    const auto result = parseOptions(arguments);
    if (const auto* failure = std::get_if<Failure>(&result)) {
        ADD_FAILURE() << failure->message;
        return {};
    }
    return std::get<SheetOptions>(result);
}

std::string refused(const std::vector<std::string_view>& arguments) {
    const auto result = parseOptions(arguments);
    if (const auto* failure = std::get_if<Failure>(&result)) return failure->message;
    ADD_FAILURE() << "accepted";
    return {};
}

TEST(Options, long_options_take_their_value_after_an_equals_sign_or_apart) {
    const SheetOptions a = parsed({"--elements=3", "--frequency=14.2", "--diameter=14"});
    const SheetOptions b = parsed({"-e", "3", "-f", "14.2", "-d", "14"});
    for (const SheetOptions& options : {a, b}) {
        EXPECT_EQ(options.request.design.mode, ElementMode::ThreeElement);
        EXPECT_EQ(options.request.design.frequency, "14.2");
        EXPECT_EQ(options.request.design.diameterIndex, 14);
        EXPECT_EQ(options.request.design.largestDiameter, "1");
        EXPECT_EQ(options.request.design.smallestDiameter, "1");
        EXPECT_EQ(options.format, OutputFormat::Text);
        EXPECT_EQ(options.language, Language::Chinese);
    }
}

TEST(Options, the_rest_of_the_options) {
    const SheetOptions options =
        parsed({"-f", "144", "-d", "1/2", "--largest", "1.5", "--smallest=0.5", "--format", "json",
                "--nec", "out.nec", "--analyse", "--plot=p.svg", "--lang", "en"});
    EXPECT_EQ(options.request.design.mode,
              ElementMode::MultiElement);  // the default: the long boom
    EXPECT_EQ(options.request.design.diameterIndex, 10);
    EXPECT_EQ(options.request.design.largestDiameter, "1.5");
    EXPECT_EQ(options.request.design.smallestDiameter, "0.5");
    EXPECT_EQ(options.format, OutputFormat::Json);
    EXPECT_EQ(options.necFile, "out.nec");
    EXPECT_EQ(options.plotFile, "p.svg");
    EXPECT_TRUE(options.analyse);
    EXPECT_EQ(options.language, Language::English);
    EXPECT_TRUE(parsed({"--help"}).help);
}

TEST(Options, diameters_by_their_inch_text) {
    EXPECT_EQ(diameterByInchText("1/2"), 10);
    EXPECT_EQ(diameterByInchText("1 1/8"), 15);
    EXPECT_EQ(diameterByInchText("  1   1/8 "), 15);
    EXPECT_EQ(diameterByInchText("5/8"), 11);  // its catalogue text ends in a blank
    EXPECT_EQ(diameterByInchText("awg 14"), 1);
    EXPECT_EQ(diameterByInchText("2"), 21);
    EXPECT_EQ(diameterByInchText("1"), 14);
    EXPECT_EQ(diameterByInchText("3"), -1);
    EXPECT_EQ(diameterByInchText("12.7mm"), -1);
}

TEST(Options, whole_numbers_are_indices_and_a_unit_makes_an_inch_text) {
    EXPECT_EQ(parsed({"-f", "14.2", "-d", "1"}).request.design.diameterIndex, 1);  // AWG 14
    EXPECT_EQ(parsed({"-f", "14.2", "-d", "1in"}).request.design.diameterIndex, 14);
    EXPECT_EQ(parsed({"-f", "14.2", "-d", "2\""}).request.design.diameterIndex, 21);
    EXPECT_EQ(parsed({"-f", "14.2", "-d", "1 1/4 in"}).request.design.diameterIndex, 16);
    // Blanks on either side change nothing: " 1" is the index, as "1" is.
    EXPECT_EQ(parsed({"-f", "14.2", "-d", " 1"}).request.design.diameterIndex, 1);
    EXPECT_EQ(parsed({"-f", " 14.2 ", "-d", "1 "}).request.design.frequency, "14.2");
    for (const char* height : {" 10", "10 ", "\t10m "}) {
        EXPECT_DOUBLE_EQ(
            parsed({"-f", "14.2", "-d", "1", "-a", "--height", height}).placement->height, 10)
            << height;
    }
}

TEST(Options, mistakes_are_named_in_the_language_asked_for) {
    EXPECT_EQ(refused({"-f", "144", "-d", "22"}),
              "元件直径必须是 0 到 21 的目录序号或英寸文字（如 1/2）：22");
    EXPECT_EQ(refused({"-f", "144", "-d", "-1", "--lang", "en"}),
              "diameter must be a catalogue index 0 to 21 or an inch text such as 1/2: -1");
    EXPECT_EQ(refused({"--lang=en", "-f", "144", "-d", "1", "-e", "5"}),
              "element count must be 2, 3, 4 or multi: 5");
    EXPECT_EQ(refused({"--lang=en", "-f", "144", "-d", "1", "--colour"}),
              "unknown option: --colour");
    EXPECT_EQ(refused({"--lang=en", "-f"}), "option needs a value: -f");
    EXPECT_EQ(refused({"--lang=en", "-d", "1"}), "no frequency given (--frequency)");
    EXPECT_EQ(refused({"--lang=en", "-f", "144"}), "no element diameter given (--diameter)");
    EXPECT_EQ(refused({"--lang=en", "-f", "144", "-d", "1", "extra"}),
              "unexpected argument: extra");
    EXPECT_EQ(refused({"--lang=en", "-f", "144", "-d", "1", "--plot", "p.svg"}),
              "--plot needs --analyse");
    EXPECT_EQ(refused({"-f", "144", "-d", "1", "--format", "xml"}),
              "输出格式必须是 text、csv 或 json：xml");
    EXPECT_EQ(refused({"-f", "144", "-d", "1", "--lang", "fr"}), "语言必须是 zh 或 en：fr");
    // An empty file name is refused, not skipped.
    for (const char* option :
         {"--nec", "--plot", "--measured", "--figures-csv", "--sweep-csv", "--geometry"}) {
        EXPECT_EQ(refused({"--lang=en", "-f", "144", "-d", "1", "-a", option, ""}),
                  std::string("a file name must not be empty: ") + option);
    }
    EXPECT_EQ(refused({"-f", "144", "-d", "1", "-a", "--nec="}), "文件名不能为空：--nec");
}

TEST(Options, the_studies_after_the_analysis) {
    const SheetOptions placed = parsed({"-f", "14.2", "-d", "14", "-a", "--height", "33ft"});
    ASSERT_TRUE(placed.placement);
    EXPECT_DOUBLE_EQ(placed.placement->height, 33 * 0.3048);
    EXPECT_FALSE(placed.placement->ground.perfect);  // average ground by default
    EXPECT_EQ(placed.placement->ground.permittivity, 13);
    const SheetOptions sea =
        parsed({"-f", "14.2", "-d", "14", "-a", "--height=12", "--ground", "sea"});
    EXPECT_DOUBLE_EQ(sea.placement->height, 12);
    EXPECT_EQ(sea.placement->ground.conductivity, 5);
    EXPECT_DOUBLE_EQ(
        parsed({"-f", "14.2", "-d", "14", "-a", "--height", "250cm"}).placement->height, 2.5);

    EXPECT_DOUBLE_EQ(parsed({"-f", "14.2", "-d", "14", "-a", "--sweep", "5"}).sweep.span, 0.05);
    const SheetOptions range = parsed({"-f", "14.2", "-d", "14", "-a", "--sweep", "14:14.35"});
    EXPECT_TRUE(range.sweep.given());
    EXPECT_DOUBLE_EQ(range.sweep.low, 14);
    EXPECT_DOUBLE_EQ(range.sweep.high, 14.35);

    const SheetOptions tolerance = parsed({"-f", "14.2", "-d", "14", "-a", "--tolerance",
                                           "1mm,0.2cm", "--samples", "50", "--seed=9"});
    ASSERT_TRUE(tolerance.tolerance);
    EXPECT_DOUBLE_EQ(tolerance.tolerance->length, 0.001);
    EXPECT_DOUBLE_EQ(tolerance.tolerance->position, 0.002);
    EXPECT_EQ(tolerance.tolerance->samples, 50);
    EXPECT_EQ(tolerance.tolerance->seed, 9u);
    const SheetOptions zero = parsed({"-f", "14.2", "-d", "14", "-a", "--tolerance", "0"});
    EXPECT_EQ(zero.tolerance->length, 0);
    EXPECT_EQ(zero.tolerance->position, 0);
    EXPECT_EQ(zero.tolerance->samples, analysis::kDefaultSamples);

    for (const std::vector<std::string_view>& wrong : std::vector<std::vector<std::string_view>>{
             {"-f", "14.2", "-d", "14", "--height", "10"},  // needs --analyse
             {"-f", "14.2", "-d", "14", "--sweep", "3"},
             {"-f", "14.2", "-d", "14", "--tolerance", "1mm"},
             {"-f", "14.2", "-d", "14", "-a", "--ground", "good"},  // needs --height
             {"-f", "14.2", "-d", "14", "-a", "--tolerance", "1", "--samples", "0"},
             {"-f", "14.2", "-d", "14", "-a", "--samples", "10"},  // needs --tolerance
             {"-f", "14.2", "-d", "14", "-a", "--height", "-3"},
             {"-f", "14.2", "-d", "14", "-a", "--height", "10", "--ground", "mud"},
             // No ground at all, or a conductor of nothing: free space is no ground.
             {"-f", "14.2", "-d", "14", "-a", "--height", "10", "--ground", "1,0"},
             {"-f", "14.2", "-d", "14", "-a", "--height", "10", "--ground", "13,1e-9"},
             {"-f", "14.2", "-d", "14", "-a", "--height", "10", "--ground", "0.5,0.005"},
             {"-f", "14.2", "-d", "14", "-a", "--height", "10", "--ground", "13,inf"},
             {"-f", "14.2", "-d", "14", "-g", "-", "--measured", "-"},  // one standard input
             {"-f", "14.2", "-d", "14", "-a", "--sweep", "11"},
             {"-f", "14.2", "-d", "14", "-a", "--sweep", "14.4:14"},
             {"-f", "14.2", "-d", "14", "-a", "--sweep", "0"},
             {"-f", "14.2", "-d", "14", "-a", "--tolerance", "-1mm"},
             {"-f", "14.2", "-d", "14", "-a", "--tolerance", "1mm,"},
             {"-f", "14.2", "-d", "14", "-a", "--tolerance", "1", "--seed", "-1"},
         }) {
        EXPECT_FALSE(refused(wrong).empty());
    }
}

TEST(Options, the_optimiser_brings_the_analysis_and_shares_the_seed) {
    const SheetOptions o = parsed({"-f", "144", "-d", "1/2", "--optimise", "gain,fb>=20,swr<=1.3",
                                   "--seed", "4", "--optimise-time", "30"});
    EXPECT_TRUE(o.analyse);
    ASSERT_TRUE(o.optimise);
    EXPECT_EQ(analysis::goalsText(*o.optimise), "gain,fb>=20,swr<=1.3");
    EXPECT_EQ(o.seed, 4u);
    EXPECT_EQ(o.optimiseSeconds, 30);
    EXPECT_TRUE(parsed({"-f", "144", "-d", "1/2", "--optimize=swr"}).optimise);

    // Each refused with what is wrong (the messages are Chinese by default).
    const std::pair<std::vector<std::string_view>, const char*> wrong[] = {
        {{"-f", "144", "-d", "1/2", "-a", "--seed", "3"}, "--seed"},  // for no study
        {{"-f", "144", "-d", "1/2", "-a", "--optimise-time", "10"}, "--optimise-time"},
        {{"-f", "144", "-d", "1/2", "--optimise", "gain", "--optimise-time", "0"}, "86400"},
        {{"-f", "144", "-d", "1/2", "--optimise", "gain", "--engine", "nec2c"}, "nec2c"},
        {{"-f", "144", "-d", "1/2", "--optimise", "looks"}, "looks"},
    };
    for (const auto& [arguments, named] : wrong) {
        const std::string message = refused(arguments);
        EXPECT_NE(message.find(named), std::string::npos) << named << ": " << message;
    }
}

}  // namespace
}  // namespace zeva::sheet
