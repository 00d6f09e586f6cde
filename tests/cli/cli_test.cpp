// SPDX-License-Identifier: MIT
// zeva-sheet's sheet in each format, its help and its options as a user types them.
#include "tests/cli/cli_fixture.h"

namespace zeva::cli_test {
namespace {

TEST_F(Cli, the_typical_sheet_on_standard_output) {
    const Outcome result = run("--elements multi --frequency 144 --diameter 1/2");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_NE(result.out.find("八木天线下料表"), std::string::npos);
    EXPECT_NE(result.out.find("反射器         3.3118      100.94  3' 3 47/64\""), std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("天线杆长度：37.4851 英尺，1142.570 厘米"), std::string::npos);
}

TEST_F(Cli, csv_and_json_hold_every_element) {
    const Outcome csv = run("-f 144 -d 10 --format csv --lang en");
    ASSERT_EQ(csv.status, 0) << csv.err;
    EXPECT_EQ(csv.out.rfind("element,length ft,length cm,tape,", 0), 0u);
    EXPECT_NE(csv.out.find("\r\ndirector 21,2.6791,81.661,\"2' 8 5/32\"\"\",1.7350,"),
              std::string::npos)
        << csv.out;
    std::size_t lines = 0;
    for (const char ch : csv.out) lines += ch == '\n' ? 1 : 0;
    EXPECT_EQ(lines, 1 + 23u) << "one table: the headings and a row an element";

    const Outcome json = run("-f 144 -d 10 --format json");
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(json.out.find("\\u"), std::string::npos) << "UTF-8 text, not escapes";
    const auto parsed = nlohmann::json::parse(json.out);
    EXPECT_EQ(parsed.at("format_version"), 2);
    EXPECT_EQ(parsed.at("design").at("frequency_mhz"), 144.0);
    const auto& elements = parsed.at("elements");
    ASSERT_EQ(elements.size(), 23u);
    ASSERT_EQ(parsed.at("geometry").at("elements").size(), 23u);
    const auto& reflector = elements.front();
    EXPECT_EQ(reflector.at("name"), "反射器");
    EXPECT_EQ(reflector.at("role"), "reflector");
    EXPECT_EQ(reflector.at("length_ft"), 3.3118);
    EXPECT_EQ(reflector.at("length_cm"), 100.94);
    EXPECT_EQ(reflector.at("tape"), "3' 3 47/64\"");
    EXPECT_TRUE(reflector.at("spacing_ft").is_null());
    EXPECT_EQ(elements[1].at("role"), "driven");
    EXPECT_EQ(elements[22].at("role"), "director");
    EXPECT_EQ(parsed.at("boom").at("length_ft"), 37.4851);
    EXPECT_EQ(parsed.at("boom").at("length_cm"), 1142.57);
}

TEST_F(Cli, help_and_usage_mistakes) {
    const Outcome help = run("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--frequency"), std::string::npos);
    const Outcome english = run("--help --lang en");
    EXPECT_EQ(english.out.rfind("Usage: zeva-sheet", 0), 0u);
    // Without --lang the locale decides: LC_ALL before LC_MESSAGES before LANG.
    const std::string unset = "-u LC_ALL -u LC_MESSAGES -u LANG ";
    EXPECT_EQ(run("--help", "", unset).out.rfind("Usage: zeva-sheet", 0), 0u);
    EXPECT_EQ(run("--help", "", unset + "LANG=en_GB.UTF-8").out.rfind("Usage: zeva-sheet", 0), 0u);
    EXPECT_EQ(run("--help", "", unset + "LANG=zh_TW.UTF-8").out, help.out);
    EXPECT_EQ(run("--help", "", unset + "LANG=zh_CN LC_MESSAGES=C").out, english.out);
    EXPECT_EQ(run("--help", "", unset + "LANG=C LC_ALL=zh_CN.UTF-8").out, help.out);
    EXPECT_EQ(run("--help --lang zh", "", unset + "LANG=C").out, help.out);
    EXPECT_EQ(run("--help --lang=en", "", "LC_ALL=zh_CN.UTF-8").out, english.out);
    // A prefix of --lang is --lang; a value that reads like it is no option.
    EXPECT_EQ(run("--help --lan en", "", "LC_ALL=zh_CN.UTF-8").out, english.out);
    EXPECT_EQ(run("--help --lan=zh", "", "LC_ALL=C").out, help.out);
    const Outcome named = run("-e 3 -f 14.2 -d 1in --nec --lang", "", "LC_ALL=C");
    EXPECT_EQ(named.status, 0) << named.err;
    EXPECT_TRUE(fs::exists(folder / "--lang")) << "the deck's file, not a language";

    // Standard output that cannot be written is said, not left silent.
    const std::string full = "cd '" + folder.string() +
                             "' && LC_ALL=C '" ZEVA_SHEET_PROGRAM
                             "' -e 3 -f 14.2 -d 1in >/dev/full 2>full.txt";
    const int status = std::system(full.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
    EXPECT_EQ(slurp(folder / "full.txt"), "zeva-sheet: cannot write standard output\n");
    const Outcome version = run("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "zeva-sheet " ZEVA_VERSION "\n");

    const Outcome wrong = run("-f 144 -d 1/2 --colour");
    EXPECT_EQ(wrong.status, 2);
    EXPECT_EQ(wrong.out, "");
    EXPECT_EQ(wrong.err, "zeva-sheet: 未知的选项：--colour\n用法见 zeva-sheet --help。\n");
    EXPECT_EQ(run("-f 144 -d 1/2 --colour --lang en").err,
              "zeva-sheet: unknown option: --colour\nTry 'zeva-sheet --help' for more "
              "information.\n");
}

// GNU conventions: unambiguous prefixes, short options with their values attached, "--"
// ending the options, "-" for standard output and input.
TEST_F(Cli, options_follow_gnu_conventions) {
    const Outcome full = run("--elements 3 --frequency 14.2 --diameter 1in --format csv");
    const Outcome short_ = run("-e3 -f14.2 -d1in --form csv");
    const Outcome prefixed = run("--elem 3 --freq=14.2 --diam 1in --format=csv --");
    ASSERT_EQ(full.status, 0);
    EXPECT_EQ(short_.out, full.out);
    EXPECT_EQ(prefixed.out, full.out);
    EXPECT_EQ(run("-f 14.2 -d 1in --s 2").status, 2);  // --samples, --seed, --smallest, --sweep
    EXPECT_NE(run("-f 14.2 -d 1in --s 2").err.find("选项有歧义：--s"), std::string::npos);
    EXPECT_EQ(run("-f 14.2 -d 1in -- more").status, 2);
    EXPECT_EQ(run("-f 14.2 -d 1in -ax").status, 2);

    const Outcome deck = run("-e 3 -f 14.2 -d 1in --nec -");
    ASSERT_EQ(deck.status, 0);
    EXPECT_EQ(deck.out.substr(0, 3), "CM ");
    EXPECT_NE(deck.out.find("\nEN\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(folder / "-"));
    EXPECT_EQ(run("-e 3 -f 14.2 -d 1in -a --nec - --plot -").status, 2);

    const Outcome json = run("-e 3 -f 14.2 -d 1in --format json");
    std::ofstream(folder / "in.json") << json.out;
    const Outcome piped = run("-g - < in.json --format csv --lang en");
    ASSERT_EQ(piped.status, 0) << piped.err;
    EXPECT_NE(piped.out.find("element,role,length m,position m,diameter mm\r\n"
                             "反射器,reflector,10.3777,"),
              std::string::npos)
        << piped.out;
}

TEST_F(Cli, engine_errors_name_the_option) {
    const Outcome zero = run("-f 0 -d 1/2 --nec zero.nec");
    EXPECT_EQ(zero.status, 1);
    EXPECT_EQ(zero.out, "");
    EXPECT_EQ(zero.err, "zeva-sheet: 频率必须大于零：--frequency\n");
    EXPECT_FALSE(fs::exists(folder / "zero.nec"));

    // A figure that is no number is a usage error, as a wrong option is.
    const Outcome lettered = run("-f 144 -d 1/2 --smallest abc --lang en");
    EXPECT_EQ(lettered.status, 2);
    EXPECT_EQ(lettered.err,
              "zeva-sheet: not a number: --smallest\nTry 'zeva-sheet --help' for "
              "more information.\n");
    EXPECT_EQ(run("-f abc -d 1/2").status, 2);
}

TEST_F(Cli, boom_options_are_checked_and_a_large_correction_is_flagged) {
    EXPECT_EQ(run("-f 144 -d 1/2 --boom-diameter 25").status, 2);  // no mounting: ignored before
    const Outcome thin = run("-f 144 -d 1/2 --mounting bonded --boom-diameter 10 --lang en");
    EXPECT_EQ(thin.status, 1);
    EXPECT_EQ(thin.err,
              "zeva-sheet: the boom (10.0 mm) is no thicker than the elements "
              "(12.7 mm) that pass through it\n");
    const Outcome mixed =
        run("-f 144 -d 1/2 --mounting bonded --boom-diameter \"1 1/4in\" --lang en");
    EXPECT_EQ(mixed.status, 0) << mixed.err;
    EXPECT_NE(mixed.out.find("boom 31.8 mm"), std::string::npos) << mixed.out;
    const Outcome large = run("-f 144 -d 1/2 --mounting bonded --boom-diameter 100 --lang en");
    EXPECT_NE(large.out.find("the correction is large (b = 0.0480, near the fit's limit of "
                             "0.055): check the element lengths on the antenna"),
              std::string::npos)
        << large.out;
    EXPECT_EQ(large.out.find("the correction is large"),
              large.out.rfind("the correction is large"));
    EXPECT_EQ(run("-f 144 -d 1/2 --largest 0.5 --smallest 1").status, 2);
}

}  // namespace
}  // namespace zeva::cli_test
