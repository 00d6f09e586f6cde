// SPDX-License-Identifier: MIT
// zeva-sheet's analysis as a user runs it: the trim, the matches, the studies, the boom.
#include "tests/cli/cli_fixture.h"

namespace zeva::cli_test {
namespace {

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
    EXPECT_EQ(run("-f 144 -d 1/2 -a --match beta").status, 2);
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
    // 0.47 wavelength over good ground: Sommerfeld's integrals, and the ground takes some power.
    EXPECT_EQ(over.at("ground_model"), "sommerfeld");
    EXPECT_GT(over.at("radiated_fraction"), 0.5);
    EXPECT_LT(over.at("radiated_fraction"), 1);
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
    EXPECT_NE(low.err.find("at least 0.05 wavelength"), std::string::npos) << low.err;
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
    EXPECT_NE(close.out.find("hairpin match: the resonant feed resistance is only 0.73 ohms, "
                             "below 5 ohms"),
              std::string::npos)
        << close.out;
    EXPECT_NE(close.out.find("quarter-wave coaxial transformer: the resonant feed resistance is "
                             "only 0.73 ohms"),
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
         {"forward gain: 7.65 dBi (5.50 dBd)\n", "feed-point impedance: 47.09 + j11.51 ohm\n",
          // The sweep's ends want the finer level of the converged pair, and it is small.
          "segments: 285 in all, 200 to a wavelength (extended thin-wire kernel)\n",
          "the sweep's ends: converged too: at 400 segments a wavelength",
          "  14.200  47.09  11.51  1.28      7.65"}) {
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

TEST_F(Cli, a_tapered_design_says_how_far_its_figures_hold) {
    const Outcome tapered = run("-e 3 -f 14.2 -d 14 --largest 1 --smallest 0.5 -a --lang en");
    ASSERT_EQ(tapered.status, 0) << tapered.err;
    EXPECT_NE(tapered.out.find("tapered elements: modelled with the mean diameter, 0.750 in; "),
              std::string::npos)
        << tapered.out;
    const Outcome json =
        run("-e 3 -f 14.2 -d 14 --largest 1 --smallest 0.5 -a --format json --lang en");
    EXPECT_EQ(nlohmann::json::parse(json.out).at("tapered_elements").at("diameter_in"), 0.75);
    const Outcome csv =
        run("-e 3 -f 14.2 -d 14 --largest 1 --smallest 0.5 -a --figures-csv - --lang en");
    EXPECT_NE(csv.out.find(",tapered elements,"), std::string::npos) << csv.out;
    EXPECT_NE(csv.out.find(",mean diameter,"), std::string::npos) << csv.out;
    const Outcome straight = run("-e 3 -f 14.2 -d 14 -a --lang en");
    EXPECT_EQ(straight.out.find("tapered elements"), std::string::npos);
}

}  // namespace
}  // namespace zeva::cli_test
