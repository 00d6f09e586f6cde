// SPDX-License-Identifier: MIT
// zeva-sheet as a user runs it: exit statuses, standard output and error, files written.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/have_nec2c.h"

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class Cli : public testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("zeva-sheet-test-" + std::to_string(::getpid()) + "-" +
                  testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    // Runs the program with the arguments (shell words) and, when given, a PATH of its own,
    // in a Chinese locale unless the environment (shell assignments) says otherwise.
    Outcome run(const std::string& arguments, const std::string& path = "",
                const std::string& environment = "LC_ALL=zh_CN.UTF-8") const {
        const std::string command = "cd '" + folder.string() + "' && " +
                                    (path.empty() ? "" : "PATH='" + path + "' ") + "/usr/bin/env " +
                                    environment + " '" ZEVA_SHEET_PROGRAM "' " + arguments +
                                    " >out.txt 2>err.txt";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(folder / "out.txt"),
                slurp(folder / "err.txt")};
    }

    fs::path folder;
};

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

TEST_F(Cli, the_boom_correction_in_every_format_and_its_limits) {
    const Outcome text = run("-f 144 -d 1/2 --mounting bonded --boom-diameter 25.4");
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("下料长度(英尺)"), std::string::npos);
    EXPECT_NE(text.out.find("3.3118      100.94  3' 3 47/64\"           3.3346          101.63"),
              std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("每根穿杆元件加长 6.94 mm"), std::string::npos);
    EXPECT_NE(text.out.find("分析仍按设计长度建模"), std::string::npos);

    const Outcome csv =
        run("-f 144 -d 1/2 --mounting insulated --boom-diameter 1in --format csv --lang en");
    ASSERT_EQ(csv.status, 0) << csv.err;
    EXPECT_EQ(csv.out.rfind("element,length ft,length cm,tape,cut ft,cut cm,cut tape,", 0), 0u);

    const Outcome json =
        run("-f 144 -d 1/2 --mounting bonded --boom-diameter 2.54cm "
            "--driven-through-boom --format json");
    ASSERT_EQ(json.status, 0) << json.err;
    const auto parsed = nlohmann::json::parse(json.out);
    const auto& reflector = parsed.at("elements").front();
    EXPECT_EQ(reflector.at("cut_length_ft"), 3.3346);
    EXPECT_EQ(reflector.at("cut_length_cm"), 101.63);
    EXPECT_EQ(reflector.at("cut_tape"), "3' 4 1/64\"");
    EXPECT_EQ(parsed.at("boom_correction").at("lengthening_mm"), 6.942);
    EXPECT_EQ(parsed.at("boom_correction").at("driven_through_boom"), true);

    const Outcome insulators = run("-f 144 -d 1/2 --mounting insulators");
    ASSERT_EQ(insulators.status, 0) << insulators.err;
    EXPECT_NE(insulators.out.find("不需修正"), std::string::npos);
    EXPECT_EQ(insulators.out.find("下料长度"), std::string::npos);

    const Outcome thick = run("-f 144 -d 1/2 --mounting bonded --boom-diameter 120");
    EXPECT_EQ(thick.status, 1);
    EXPECT_NE(thick.err.find("0.055"), std::string::npos) << thick.err;
    EXPECT_EQ(thick.out, "");
    EXPECT_EQ(run("-f 144 -d 1/2 --mounting bonded").status, 2);
    EXPECT_EQ(run("-f 144 -d 1/2 --mounting glued --boom-diameter 25").status, 2);
    EXPECT_EQ(run("-f 144 -d 1/2 --mounting bonded --boom-diameter 0mm").status, 2);
    EXPECT_EQ(run("-f 144 -d 1/2 --match hairpin").status, 2);  // needs --analyse
    EXPECT_EQ(run("-f 144 -d 1/2 -a --match gamma").status, 2);
    // A hairpin whose wires would touch: refused, as the window refuses it.
    const Outcome touching =
        run("-f 144 -d 1/2 -a --match hairpin --hairpin-wire 5 --hairpin-spacing 4 --lang en");
    EXPECT_EQ(touching.status, 2);
    EXPECT_NE(touching.err.find("the hairpin's spacing must be above its wire's diameter"),
              std::string::npos);
    EXPECT_EQ(run("-f 144 -d 1/2 -a --match coax --velocity-factor 1.5").status, 2);
}

TEST_F(Cli, the_analysis_trims_the_driven_element_and_matches_it) {
    const Outcome text = run("-e 3 -f 14.2 -d 1in -a --match hairpin,coax");
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("驱动元件谐振长度："), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("发夹匹配：驱动元件缩短为"), std::string::npos);
    EXPECT_NE(text.out.find("四分之一波长同轴变换：√(50·R) = "), std::string::npos);
    const Outcome json = run("-e 3 -f 14.2 -d 1in -a --match hairpin --format json");
    ASSERT_EQ(json.status, 0) << json.err;
    const auto tuning = nlohmann::json::parse(json.out).at("tuning");
    EXPECT_TRUE(tuning.at("trim").at("driven_length_m").is_number());
    EXPECT_TRUE(tuning.at("trim").at("impedance_ohm").at("r").is_number())
        << "{r, x}, as elsewhere";
    EXPECT_EQ(tuning.at("hairpin").at("sweep_swr").size(), 21u);
    // A resonant R of 50 ohms or more takes no hairpin: the two-element design feeds above 50.
    const Outcome high = run("-e 2 -f 28.5 -d 1/2 -a --match hairpin --lang en");
    ASSERT_EQ(high.status, 0) << high.err;
    EXPECT_NE(high.out.find("not below 50: a hairpin match does not apply"), std::string::npos)
        << high.out;
}

// Over ground, across a range given, within a build tolerance: every format carries the
// figures, and the JSON reads as JSON with the keys a script looks for.
TEST_F(Cli, the_studies_in_every_format) {
    const std::string studies =
        "-e 3 -f 14.2 -d 1in -a --height 10 --ground good --sweep 14:14.35 --tolerance 5mm "
        "--samples 20";
    const Outcome text = run(studies + " --lang en");
    ASSERT_EQ(text.status, 0) << text.err;
    for (const char* line :
         {"over ground: height 10.00 m (0.47 wavelength), good ground",
          "takeoff angle: ", "elevation -3 dB beamwidth: ", "front-to-back at that elevation: ",
          "feed-point impedance over ground: ",
          "build tolerance: lengths ±5.00 mm, positions ±0.00 mm, 20 samples",
          "SWR within the tolerance: median ", "bandwidth, SWR below 2.0: ", "  14.000  ",
          "  14.350  "}) {
        EXPECT_NE(text.out.find(line), std::string::npos) << line << "\n" << text.out;
    }
    // CSV: the sheet on standard output, the figures and the sweep each a table of its own.
    const Outcome csv =
        run(studies + " --format csv --figures-csv figures.csv --sweep-csv sweep.csv");
    ASSERT_EQ(csv.status, 0) << csv.err;
    EXPECT_EQ(csv.out.rfind("元件,长度(英尺),", 0), 0u) << csv.out;
    const std::string figures = slurp(folder / "figures.csv");
    const auto crlf = figures.find("\r\n");
    ASSERT_NE(crlf, std::string::npos);
    EXPECT_EQ(figures.find("\r\n", crlf + 2), figures.size() - 2) << "two rows: " << figures;
    for (const char* heading : {"前向增益(dBi),", "仰角(度),", "地面介电常数,", "驻波比中位数,",
                                "增益 90 % 分位(dBi),", "种子"}) {
        EXPECT_NE(figures.find(heading), std::string::npos) << heading << "\n" << figures;
    }
    const std::string row = figures.substr(crlf + 2);
    EXPECT_EQ(row.find_first_not_of("0123456789.-,\r\n"), std::string::npos) << "bare numbers";
    const std::string sweep = slurp(folder / "sweep.csv");
    EXPECT_EQ(
        sweep.rfind("频率(MHz),电阻(欧),电抗(欧),驻波比,增益(dBi),前后比(dB),直接求解\r\n14.0000,",
                    0),
        0u)
        << sweep;
    std::size_t rows = 0;
    for (const char ch : sweep) rows += ch == '\n' ? 1 : 0;
    EXPECT_EQ(rows, 1 + 21u);
    EXPECT_EQ(run("-e 3 -f 14.2 -d 1in --sweep-csv s.csv").status, 2) << "needs --analyse";
    EXPECT_EQ(run("-e 3 -f 14.2 -d 1in -a --sweep-csv a.csv --figures-csv ./a.csv").status, 2);
    EXPECT_EQ(run("-e 3 -f 14.2 -d 1in -a --sweep-csv - --nec -").status, 2);

    const Outcome json = run(studies + " --format json");
    ASSERT_EQ(json.status, 0) << json.err;
    const auto parsed = nlohmann::json::parse(json.out);
    const auto& over = parsed.at("over_ground");
    EXPECT_EQ(over.at("height_m"), 10.0);
    EXPECT_EQ(over.at("ground"), "good");
    for (const char* key :
         {"takeoff_elevation_deg", "gain_dbi", "elevation_beamwidth_deg", "front_to_back_db"}) {
        EXPECT_TRUE(over.at(key).is_number()) << key;
    }
    EXPECT_TRUE(over.at("impedance_ohm").at("r").is_number());
    const auto& tolerance = parsed.at("tolerance");
    EXPECT_EQ(tolerance.at("samples"), 20);
    EXPECT_LE(tolerance.at("swr").at("median"), tolerance.at("swr").at("worst"));
    EXPECT_EQ(tolerance.at("sensitivities").size(), 3u);
    const auto& bandwidth = parsed.at("analysis").at("bandwidth_mhz");
    ASSERT_TRUE(bandwidth.at("swr_2").is_array());
    EXPECT_LE(14.0, bandwidth.at("swr_2")[0]);
    EXPECT_LE(bandwidth.at("swr_2")[1], 14.35);

    // Beyond what the model holds: refused with a message, nothing printed as if it held.
    const Outcome low = run("-e 3 -f 14.2 -d 1in -a --height 1 --ground poor --lang en");
    EXPECT_EQ(low.status, 1);
    EXPECT_NE(low.err.find("at least 0.1 wavelength"), std::string::npos) << low.err;
    EXPECT_TRUE(low.out.empty());
    const Outcome wide = run("-e 3 -f 14.2 -d 1in -a --sweep 10:20 --lang en");
    EXPECT_EQ(wide.status, 1);
    EXPECT_NE(wide.err.find("within the design frequency ±10 %"), std::string::npos) << wide.err;
    EXPECT_EQ(run("-e 3 -f 14.2 -d 1in -a --sweep 12").status, 2);
}

// The example sweep: the three-element design with its driven element cut 100 mm long.
TEST_F(Cli, a_measured_sweep_gives_the_trim) {
    const std::string example = "'" ZEVA_EXAMPLES_DIR "/measured-3-elements-14.2-mhz.s1p'";
    const Outcome text = run("-e 3 -f 14.2 -d 1in -a --measured " + example);
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("\n测量：最小驻波比 1.01，在 14.05"), std::string::npos) << text.out;
    EXPECT_NE(
        text.out.find("\n修剪建议：驱动元件缩短 100 mm（每半边 50 mm），使谐振回到设计频率\n"),
        std::string::npos)
        << text.out;
    const Outcome json = run("-e 3 -f 14.2 -d 1in -a --format json --measured " + example);
    ASSERT_EQ(json.status, 0) << json.err;
    const auto measured = nlohmann::json::parse(json.out).at("measured");
    EXPECT_NEAR(measured.at("driven_length_change_mm").get<double>(), -100, 10);
    EXPECT_NEAR(measured.at("resonance_mhz").get<double>(), 14.056, 0.01);
    EXPECT_NEAR(measured.at("min_swr_mhz").get<double>(), 14.055, 0.01);
    EXPECT_TRUE(measured.at("impedance_ohm").at("r").is_number());

    // A malformed file is refused with its line; a design the sweep does not cover, too.
    std::ofstream(folder / "bad.s1p") << "# MHZ S RI R 50\n14.0 0.1 0.1\n14.1 0.1\n";
    const Outcome bad = run("-e 3 -f 14.2 -d 1in -a --measured bad.s1p --lang en");
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("bad.s1p: line 3: expected 3 numbers"), std::string::npos) << bad.err;
    const Outcome elsewhere = run("-e 3 -f 21.2 -d 1in -a --measured " + example + " --lang en");
    EXPECT_EQ(elsewhere.status, 1);
    EXPECT_NE(elsewhere.err.find("does not hold the design frequency 21.200 MHz"),
              std::string::npos)
        << elsewhere.err;
    EXPECT_EQ(run("-e 3 -f 14.2 -d 1in --measured " + example).status, 2);
    EXPECT_EQ(run("-e 3 -f 14.2 -d 1in -a --match hairpin,coax --measured " + example).status, 2);
    EXPECT_EQ(run("-e 3 -f 14.2 -d 1in -a --measured missing.s1p").status, 1);
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

TEST_F(Cli, writes_the_deck_whole) {
    const Outcome result = run("-e 3 -f 14.2 -d 14 --nec design.nec");
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string deck = slurp(folder / "design.nec");
    EXPECT_EQ(deck.rfind("CM zeva-sheet: Yagi-Uda, 3 elements, 14.2 MHz\n", 0), 0u) << deck;
    EXPECT_NE(deck.find("GW 3 23 8.94789744874 -4.67694152269 0 8.94789744874 4.67694152269 0 "
                        "0.0127\n"),
              std::string::npos)
        << deck;
    EXPECT_NE(deck.find("EX 0 2 13 0 1 0\n"), std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator{}), 3)
        << "only out.txt, err.txt and the deck";

    const Outcome nowhere = run("-e 3 -f 14.2 -d 14 --nec no/such/folder/design.nec --lang en");
    EXPECT_EQ(nowhere.status, 1);
    EXPECT_EQ(nowhere.err, "zeva-sheet: cannot write no/such/folder/design.nec\n");
}

TEST_F(Cli, the_analysis_needs_no_nec2c_unless_it_is_asked_for) {
    const Outcome builtin = run("-e 3 -f 14.2 -d 14 --analyse --lang en", "/nonexistent");
    EXPECT_EQ(builtin.status, 0) << builtin.err;
    EXPECT_NE(builtin.out.find("forward gain: 7.64 dBi"), std::string::npos) << builtin.out;
    EXPECT_EQ(run("-f 14.2 -d 14 -a --engine nec3").status, 2);

    const Outcome result =
        run("-e 3 -f 14.2 -d 14 --nec design.nec --analyse --engine nec2c --plot p.svg",
            "/nonexistent");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err,
              "zeva-sheet: 找不到 nec2c：请安装 Debian 软件包 nec2c（sudo apt install nec2c）\n");
    EXPECT_FALSE(fs::exists(folder / "design.nec"));
    EXPECT_FALSE(fs::exists(folder / "p.svg"));
}

// A stand-in nec2c first on PATH that runs the given shell lines; $out is its output file.
void standIn(const fs::path& folder, const std::string& body) {
    fs::create_directories(folder / "bin");
    const fs::path script = folder / "bin" / "nec2c";
    std::ofstream(script) << "#!/bin/sh\nout=${2#-o}\n" << body << "\n";
    fs::permissions(script, fs::perms::owner_all);
}

TEST_F(Cli, a_failing_nec2c_is_reported_and_nothing_is_written) {
    const std::string path = (folder / "bin").string() + ":/usr/bin:/bin";
    const struct {
        const char* body;
        const char* message;
    } cases[] = {
        {"exit 3", "nec2c failed with exit status 3"},
        {"kill -9 $$", "nec2c was ended by signal 9"},
        {": > \"$out\"", "nec2c wrote no output"},
        {"echo 'nothing like a NEC report' > \"$out\"",
         "the NEC-2 results lack the impedance or the patterns"},
    };
    for (const auto& c : cases) {
        standIn(folder, c.body);
        const Outcome result =
            run("-e 3 -f 14.2 -d 14 --nec design.nec --analyse --engine nec2c --plot p.svg "
                "--lang en",
                path);
        EXPECT_EQ(result.status, 1) << c.body;
        EXPECT_EQ(result.out, "") << c.body;
        EXPECT_EQ(result.err, std::string("zeva-sheet: ") + c.message + "\n") << c.body;
        EXPECT_FALSE(fs::exists(folder / "design.nec")) << c.body;
        EXPECT_FALSE(fs::exists(folder / "p.svg")) << c.body;
    }
}

// Every length a builder cuts carries the boom correction where the element passes through
// the boom; the electrical length stands beside it.
TEST_F(Cli, a_driven_element_through_the_boom_is_cut_longer_in_every_format) {
    const std::string design =
        "-e multi -f 432 -d 1/8 --mounting insulated --boom-diameter 20 --driven-through-boom "
        "-a --match coax --velocity-factor 0.82 --lang en";
    const Outcome text = run(design);
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("5.36 mm longer"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("driven element at resonance: cut 1.0761 ft, 32.80 cm, "
                            "1' 0 29/32\" (1.0585 ft electrically)"),
              std::string::npos)
        << text.out;
    const Outcome json = run(design + " --format json");
    ASSERT_EQ(json.status, 0) << json.err;
    const auto number = [&](const std::string& key) {
        const std::size_t at = json.out.find("\"" + key + "\": ");
        EXPECT_NE(at, std::string::npos) << key;
        return std::stod(json.out.substr(at + key.size() + 4));
    };
    EXPECT_NEAR(number("cut_length_m") - number("driven_length_m"), 0.00536, 0.00001);
    // The same element apart from the boom: cut as it works.
    const Outcome apart =
        run("-e multi -f 432 -d 1/8 --mounting insulated --boom-diameter 20 "
            "-a --lang en");
    EXPECT_NE(apart.out.find("driven element at resonance: 1.0585 ft"), std::string::npos)
        << apart.out;
}

TEST_F(Cli, matches_that_would_change_nothing_or_nothing_sensible_are_refused) {
    // Elements a two-hundredth of a wavelength apart: well under an ohm at resonance.
    std::ofstream(folder / "close.json") << R"({"frequency_mhz": 144, "unit": "m", "elements": [
        {"name": "reflector", "length": 1.05, "position": 0, "diameter": 0.002},
        {"name": "driven", "length": 0.99, "position": 0.0104, "diameter": 0.002,
         "driven": true}]})";
    const Outcome close = run("-g close.json -a --match hairpin,coax --lang en");
    ASSERT_EQ(close.status, 0) << close.err;
    EXPECT_NE(close.out.find("hairpin match: the resonant feed resistance is only 0.71 ohms, "
                             "below 5 ohms"),
              std::string::npos)
        << close.out;
    EXPECT_NE(close.out.find("quarter-wave coaxial transformer: the resonant feed resistance is "
                             "only 0.71 ohms"),
              std::string::npos);
    // A resonant 50.4 ohms: the nearest cable is 50-ohm cable, no transformer at all.
    const Outcome fifty = run("-e multi -f 432 -d 1/8 -a --match coax --lang en");
    ASSERT_EQ(fifty.status, 0) << fifty.err;
    EXPECT_NE(fifty.out.find("quarter-wave coaxial transformer: the nearest cable is 50-ohm "
                             "cable, which transforms nothing"),
              std::string::npos)
        << fifty.out;
    // The cable's velocity factor stands beside its length.
    const Outcome coax = run("-e 3 -f 14.2 -d 14 -a --match coax --velocity-factor 0.82 --lang en");
    EXPECT_NE(coax.out.find(" long at a velocity factor of 0.82; "), std::string::npos) << coax.out;
    const Outcome json = run("-e 3 -f 14.2 -d 14 -a --match coax --format json");
    EXPECT_NE(json.out.find("\"velocity_factor\": 0.66"), std::string::npos) << json.out;
}

TEST_F(Cli, the_analysis_and_its_plot) {
    const Outcome result = run("-e 3 -f 14.2 -d 14 --analyse --plot p.svg --lang en");
    ASSERT_EQ(result.status, 0) << result.err;
    for (const char* line :
         {"forward gain: 7.64 dBi (5.49 dBd)\n", "feed-point impedance: 47.23 + j11.14 ohm\n",
          "segments: 143, a wavelength 100 (extended thin-wire kernel)\n",
          "  14.200  47.23  11.14  1.27      7.64"}) {
        EXPECT_NE(result.out.find(line), std::string::npos) << line << "\n" << result.out;
    }
    for (const char* label : {"front-to-rear ratio: ", "-3 dB beamwidth: E ",
                              "strongest sidelobe: ", "stacking distance (DL6WU): side by side "}) {
        EXPECT_NE(result.out.find(label), std::string::npos) << label;
    }
    const std::string svg = slurp(folder / "p.svg");
    EXPECT_EQ(svg.rfind("<svg xmlns=\"http://www.w3.org/2000/svg\"", 0), 0u);
    EXPECT_NE(svg.find("'Noto Sans CJK SC', 'WenQuanYi Micro Hei'"), std::string::npos);
    EXPECT_NE(svg.find(">Radiation patterns at 14.200 MHz<"), std::string::npos);
    EXPECT_NE(svg.find(">E-plane<"), std::string::npos);
    EXPECT_NE(svg.find(">H-plane<"), std::string::npos);
    EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
}

TEST_F(Cli, a_design_saved_as_json_is_analysed_again_from_its_geometry) {
    const Outcome design = run("-e 3 -f 14.2 -d 14 --format json --analyse --lang en");
    ASSERT_EQ(design.status, 0) << design.err;
    std::ofstream(folder / "saved.json") << design.out;
    const Outcome again = run("--geometry saved.json --format json --analyse --lang en");
    ASSERT_EQ(again.status, 0) << again.err;
    const auto analysisOf = [](const std::string& json) {
        return json.substr(json.find("\"analysis\""));
    };
    EXPECT_EQ(analysisOf(again.out), analysisOf(design.out));

    const Outcome text = run("-g saved.json --lang en");
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("driven element *     10.2693      5.7867        25.40"),
              std::string::npos)
        << text.out;
}

TEST_F(Cli, bad_geometry_files_and_taper_diameters_are_named) {
    std::ofstream(folder / "bad.json")
        << "{\n \"frequency_mhz\": 14.2,\n \"unit\": \"m\",\n \"elements\": [\n";
    const Outcome bad = run("--geometry bad.json --lang en");
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.err, "zeva-sheet: geometry file, line 5: not valid JSON\n");
    const Outcome missing = run("--geometry none.json --lang en");
    EXPECT_EQ(missing.err, "zeva-sheet: cannot read none.json\n");
    const Outcome mixed = run("--geometry bad.json -f 14.2 --lang en");
    EXPECT_EQ(mixed.status, 2);

    for (const char* taper : {"--largest -1", "--largest=0", "--smallest -0.5"}) {
        const Outcome refused = run(std::string("-e 3 -f 14.2 -d 14 --analyse --lang en ") + taper);
        EXPECT_EQ(refused.status, 2) << taper;
        EXPECT_NE(refused.err.find("the diameter must be above zero: --"), std::string::npos)
            << refused.err;
    }
}

// Inputs that once crashed the program or ran away with its memory, time or disk: refused
// with a message before any heavy work.
TEST_F(Cli, runaway_geometry_files_are_refused_before_any_work) {
    const auto refusal = [this](const std::string& file, const std::string& body) {
        if (!body.empty()) std::ofstream(folder / file) << body;
        const Outcome result = run("-g " + file + " -a --lang en");
        EXPECT_EQ(result.status, 1) << file << ": " << result.out;
        return result.err;
    };
    const std::string head = R"({"frequency_mhz": 144, "unit": "m", "elements": [)";
    const std::string dipole = R"({"name": "d", "length": 1, "position": 0, "diameter": 0.002,
        "driven": true})";
    EXPECT_NE(refusal("huge.json", R"({"frequency_mhz": 1e400, "unit": "m", "elements": []})")
                  .find("out of range"),
              std::string::npos);
    fs::create_directories(folder / "folder.json");
    EXPECT_EQ(refusal("folder.json", ""), "zeva-sheet: folder.json: not a regular file\n");
    EXPECT_NE(refusal("/dev/zero", "").find("not a regular file"), std::string::npos);
    std::ofstream(folder / "large.json") << std::string(2 << 20, ' ');
    EXPECT_NE(refusal("large.json", "").find("larger than 1 MiB"), std::string::npos);
    EXPECT_NE(refusal("long.json", head + R"({"name": "d", "length": 1e308, "position": 0,
        "diameter": 0.002, "driven": true}]})")
                  .find("wavelengths long, more than 3: check the unit"),
              std::string::npos);
    // A centimetre figure in a metre file: a hundred times too long.
    EXPECT_NE(refusal("centimetres.json", head + R"({"name": "d", "length": 102,
        "position": 0, "diameter": 0.002, "driven": true}]})")
                  .find("check the unit"),
              std::string::npos);
    std::string many = head + dipole;
    for (int i = 1; i <= 400; ++i) {
        many += R"(, {"name": "e", "length": 1, "position": )" + std::to_string(i) +
                R"(, "diameter": 0.002})";
    }
    EXPECT_NE(refusal("many.json", many + "]}").find("more than 300 elements (401)"),
              std::string::npos);
}

TEST_F(Cli, a_tapered_design_says_how_far_its_figures_hold) {
    const Outcome tapered = run("-e 3 -f 14.2 -d 14 --largest 1 --smallest 0.5 -a --lang en");
    ASSERT_EQ(tapered.status, 0) << tapered.err;
    EXPECT_NE(tapered.out.find("tapered elements: modelled with the mean diameter, 0.750 in; "),
              std::string::npos)
        << tapered.out;
    const Outcome json =
        run("-e 3 -f 14.2 -d 14 --largest 1 --smallest 0.5 -a --format json --lang en");
    EXPECT_EQ(nlohmann::json::parse(json.out).at("tapered_elements").at("diameter_in"), 0.75);
    const Outcome straight = run("-e 3 -f 14.2 -d 14 -a --lang en");
    EXPECT_EQ(straight.out.find("tapered elements"), std::string::npos);
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

TEST_F(Cli, the_files_of_a_run_are_written_together_or_not_at_all) {
    // A folder in a file's place is found before anything is replaced.
    std::ofstream(folder / "kept.nec") << "kept\n";
    fs::create_directories(folder / "plot.svg");
    const Outcome folderTarget =
        run("-e 3 -f 14.2 -d 14 --analyse --nec kept.nec --plot plot.svg --lang en");
    EXPECT_EQ(folderTarget.status, 1);
    EXPECT_EQ(slurp(folder / "kept.nec"), "kept\n");
    fs::remove(folder / "plot.svg");
    fs::remove(folder / "kept.nec");
    // Two outputs on one path are a usage error.
    EXPECT_EQ(run("-e 3 -f 14.2 -d 14 --analyse --nec same --plot ./same").status, 2);
    EXPECT_FALSE(fs::exists(folder / "same"));

    const Outcome result =
        run("-e 3 -f 14.2 -d 14 --analyse --nec design.nec --plot no/such/folder/p.svg --lang en");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "zeva-sheet: cannot write no/such/folder/p.svg\n");
    EXPECT_FALSE(fs::exists(folder / "design.nec"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator{}), 2)
        << "only out.txt and err.txt: no temporary file left behind";
}

TEST_F(Cli, a_target_that_is_no_regular_file_is_written_in_place) {
    ASSERT_EQ(mkfifo((folder / "deck.fifo").c_str(), 0600), 0);
    // A reader on the FIFO, so that the program's write can complete.
    const std::string reader = "cat '" + (folder / "deck.fifo").string() + "' > '" +
                               (folder / "read.nec").string() + "' &";
    ASSERT_EQ(std::system(reader.c_str()), 0);
    const Outcome result = run("-e 3 -f 14.2 -d 14 --nec deck.fifo");
    EXPECT_EQ(result.status, 0) << result.err;
    std::system("wait");
    for (int i = 0; i < 100 && slurp(folder / "read.nec").find("EN\n") == std::string::npos; ++i) {
        usleep(20000);
    }
    EXPECT_TRUE(fs::is_fifo(folder / "deck.fifo")) << "still a FIFO, not replaced by a file";
    EXPECT_NE(slurp(folder / "read.nec").find("GW 1 "), std::string::npos);

    // Standard output a pipe: the deck, then the sheet.
    const std::string piped =
        "LC_ALL=zh_CN.UTF-8 '" ZEVA_SHEET_PROGRAM "' -e 3 -f 14.2 -d 14 --nec /dev/stdout " +
        std::string("--format csv | cat > '") + (folder / "piped.txt").string() + "'";
    EXPECT_EQ(std::system(piped.c_str()), 0);
    const std::string out = slurp(folder / "piped.txt");
    EXPECT_EQ(out.rfind("CM zeva-sheet", 0), 0u);
    EXPECT_NE(out.find("EN\n元件,长度(英尺)"), std::string::npos) << out;
    EXPECT_TRUE(fs::is_symlink("/dev/stdout")) << "the link itself is left alone";
}

// The engine in process stops at a signal too, and the run ends as the signal would end it.
TEST_F(Cli, an_interrupt_stops_the_engine_and_writes_nothing) {
    const std::string command = "cd '" + folder.string() +
                                "'\n'" ZEVA_SHEET_PROGRAM
                                "' -e 4 -f 14.2 -d 1in --analyse --nec d.nec >/dev/null 2>&1 &\n"
                                "pid=$!\nsleep 0.2\nkill -INT $pid\nwait $pid\necho $? > status";
    std::ofstream(folder / "interrupt.sh") << command << "\n";
    ASSERT_EQ(std::system(("bash '" + (folder / "interrupt.sh").string() + "'").c_str()), 0);
    EXPECT_EQ(slurp(folder / "status"), "130\n") << "ended by SIGINT";
    EXPECT_FALSE(fs::exists(folder / "d.nec"));
}

// A stand-in nec2c that never finishes: the time limit, and a signal, stop it.
TEST_F(Cli, a_slow_nec2c_is_stopped_and_an_interrupt_leaves_nothing_behind) {
    if (!zeva::testing_support::haveNec2c()) GTEST_SKIP() << "nec2c not installed";
    standIn(folder, "echo $$ >> \"$(dirname \"$0\")/pids\"\nexec sleep 60");
    const std::string path = (folder / "bin").string() + ":/usr/bin:/bin";
    fs::create_directories(folder / "tmp");
    const std::string temp = "TMPDIR='" + (folder / "tmp").string() + "' ";

    const Outcome slow = run(
        "-e 3 -f 14.2 -d 14 --analyse --engine nec2c --nec d.nec --time-limit 0.5 --lang en", path);
    EXPECT_EQ(slow.status, 1);
    EXPECT_EQ(slow.err, "zeva-sheet: nec2c ran past the time limit of 0 s and was stopped\n");
    EXPECT_FALSE(fs::exists(folder / "d.nec"));

    const std::string command = "cd '" + folder.string() + "'\n" + temp + "PATH='" + path +
                                "' '" ZEVA_SHEET_PROGRAM "' -e 3 -f 14.2 -d 14 --analyse " +
                                "--engine nec2c " +
                                "--nec d.nec >/dev/null 2>&1 &\npid=$!\nsleep 0.5\n" +
                                "kill -HUP $pid\nwait $pid\necho $? > status";
    std::ofstream(folder / "interrupt.sh") << command << "\n";
    ASSERT_EQ(std::system(("bash '" + (folder / "interrupt.sh").string() + "'").c_str()), 0);
    // The terminal closed: handled as a termination, nothing left behind.
    EXPECT_EQ(slurp(folder / "status"), "129\n") << "ended by SIGHUP";
    EXPECT_TRUE(fs::is_empty(folder / "tmp")) << "the temporary folder is removed";
    EXPECT_FALSE(fs::exists(folder / "d.nec"));
    std::ifstream pids(folder / "bin" / "pids");
    for (int pid = 0; pids >> pid;) {
        EXPECT_NE(::kill(pid, 0), 0) << "nec2c " << pid << " still runs";
    }
}

}  // namespace
