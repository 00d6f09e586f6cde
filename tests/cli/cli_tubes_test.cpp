// SPDX-License-Identifier: MIT
// Elements of telescoping tubes as a builder asks for them: the cut list adds up to the
// elements, the driven element is cut for its match, the CSV tables agree with the JSON, and
// a schedule that cannot be built is refused before anything is written.
#include <cmath>
#include <cstdio>
#include <string>

#include "tests/cli/cli_fixture.h"

namespace zeva::cli_test {
namespace {

using nlohmann::json;

constexpr const char* kDesign = "--lang en -e 3 -f 14.2 -d 1in";
constexpr const char* kSchedule = "--sections '1.25in:36in,1.125in:48in,1in:48in,0.875in'";

// The whole element as the tubes make it: twice the reach of its tip.
double builtLength(const json& element) {
    return 2 * element.at("tubes").back().at("reach_m").get<double>();
}

TEST_F(Cli, the_cut_list_makes_every_element_and_agrees_with_its_tables) {
    const Outcome out = run(std::string(kDesign) + " " + kSchedule +
                            " --mounting insulated --boom-diameter 2in --format json"
                            " --cut-list-csv cuts.csv --materials-csv stock.csv");
    ASSERT_EQ(out.status, 0) << out.err;
    const json report = json::parse(out.out);
    const json& tubes = report.at("tubes");
    const json& elements = tubes.at("elements");
    ASSERT_EQ(elements.size(), 3U);
    const double correction =
        report.at("boom_correction").at("lengthening_mm").get<double>() / 1000;
    int pieces = 0;
    for (std::size_t i = 0; i < elements.size(); ++i) {
        const json& element = elements[i];
        // Each element works as the design's wire of 1 in, which the geometry holds.
        EXPECT_NEAR(element.at("length_m").get<double>(),
                    report.at("geometry").at("elements")[i].at("length").get<double>(), 1e-4);
        const json& list = element.at("tubes");
        ASSERT_EQ(list.size(), 4U);
        // The fixed tubes as given: 2 x 36 in across the boom, then 48 in showing and 3 in
        // inside the tube before; the driven element (not through the boom) split in two.
        const bool driven = i == 1;
        EXPECT_NEAR(list[0].at("exposed_m").get<double>(), 72 * 0.0254 + (driven ? 0 : correction),
                    1e-4);
        EXPECT_EQ(list[0].at("pieces"), driven ? 2 : 1);
        EXPECT_NEAR(list[1].at("cut_m").get<double>(), 51 * 0.0254, 1e-4);
        // Thinner tips than the design's inch on average: longer than the wire they work as.
        EXPECT_GT(builtLength(element), element.at("length_m").get<double>());
        for (const json& tube : list) pieces += tube.at("pieces").get<int>();
        // Tubes thinning towards the tips carry their current further out than the wire:
        // a few per cent more radiation resistance.
        EXPECT_GT(element.at("resistance_ratio").get<double>(), 1.005);
        EXPECT_LT(element.at("resistance_ratio").get<double>(), 1.1);
    }
    // The tables say the same: a row a tube, and as many pieces to buy as to cut.
    const std::string cuts = slurp(folder / "cuts.csv");
    EXPECT_EQ(std::count(cuts.begin(), cuts.end(), '\n'), 1 + 3 * 4);
    int bought = 0;
    for (const json& size : tubes.at("stock")) bought += size.at("pieces").get<int>();
    EXPECT_EQ(bought, pieces);
    const std::string stock = slurp(folder / "stock.csv");
    EXPECT_NE(stock.find("diameter mm,wall mm,pieces,total m,lengths of 1.829 m,lengths of "
                         "3.658 m,offcut m\r\n31.75,1.47,"),
              std::string::npos)
        << stock;

    // The text report says how the tips are solved, in Chinese by default.
    const Outcome zh = run(std::string("-e 3 -f 14.2 -d 1in ") + kSchedule);
    ASSERT_EQ(zh.status, 0) << zh.err;
    EXPECT_NE(zh.out.find("Leeson"), std::string::npos) << zh.out;
}

TEST_F(Cli, the_driven_element_is_cut_for_its_match) {
    const std::string request = std::string(kDesign) + " " + kSchedule + " -a --match hairpin";
    const Outcome out = run(request + " --format json");
    ASSERT_EQ(out.status, 0) << out.err;
    const json report = json::parse(out.out);
    const json& driven = report.at("tubes").at("elements")[1];
    // The text says by how much the driven element's tubes raise its resistance.
    char higher[64];
    std::snprintf(higher, sizeof higher, "resistance about %.1f %% higher",
                  100 * (driven.at("resistance_ratio").get<double>() - 1));
    EXPECT_NE(run(request).out.find(higher), std::string::npos) << higher;
    // And the figures' CSV names the model and gives the factor as the JSON does.
    const std::string csv = run(request + " --figures-csv -").out;
    char factor[64];
    std::snprintf(factor, sizeof factor, ",substitute element,%.4f,",
                  driven.at("resistance_ratio").get<double>());
    EXPECT_NE(csv.find(factor), std::string::npos) << csv;
    // A lone tube is its own wire: nothing to say of its resistance.
    const Outcome lone = run("--lang en -e 3 -f 50.1 -d 1/2 --sections 0.5in -a");
    ASSERT_EQ(lone.status, 0) << lone.err;
    EXPECT_NE(lone.out.find("stepped elements: "), std::string::npos) << lone.out;
    EXPECT_EQ(lone.out.find("resistance about"), std::string::npos) << lone.out;
    EXPECT_NEAR(driven.at("length_m").get<double>(),
                report.at("tuning").at("hairpin").at("driven_length_m").get<double>(), 1e-4);
    // The analysis names the model of the stepped elements, and no longer the taper's doubt.
    EXPECT_EQ(report.find("tapered_elements"), report.end());
}

TEST_F(Cli, the_workshop_drawing_places_every_element_and_dimensions_every_tube) {
    const Outcome out = run(std::string(kDesign) + " " + kSchedule +
                            " --mounting insulated --boom-diameter 2in --drawing beam.svg"
                            " --format json");
    ASSERT_EQ(out.status, 0) << out.err;
    const json report = json::parse(out.out);
    const std::string svg = slurp(folder / "beam.svg");
    ASSERT_EQ(svg.rfind("<svg", 0), 0U);
    EXPECT_NE(svg.find(report.at("boom").at("length_cm").dump() + " cm"), std::string::npos);
    for (const json& element : report.at("tubes").at("elements")) {
        EXPECT_NE(svg.find(">" + element.at("name").get<std::string>() + "<"), std::string::npos);
        // Each tube's reach from the centre, in centimetres.
        for (const json& tube : element.at("tubes")) {
            char reach[32];
            std::snprintf(reach, sizeof reach, ">%.2f<", tube.at("reach_m").get<double>() * 100);
            EXPECT_NE(svg.find(reach), std::string::npos) << reach;
        }
    }
    // An antenna of the user's has no boom to drill.
    EXPECT_EQ(run("--lang en -g x.json --drawing beam2.svg").status, 2);
}

TEST_F(Cli, a_dipole_of_tubes_is_analysed_without_a_beams_figures_and_trimmed_as_tubes) {
    const Outcome out = run("--lang en -a --format json -g '" ZEVA_EXAMPLES_DIR
                            "/telescoping-dipole-14.2-mhz.json'");
    ASSERT_EQ(out.status, 0) << out.err;
    const json report = json::parse(out.out);
    const json& analysis = report.at("analysis");
    EXPECT_TRUE(analysis.at("front_to_back_db").is_null());
    EXPECT_TRUE(analysis.at("sidelobe_db").is_null());
    EXPECT_FALSE(analysis.at("impedance_ohm").at("r").is_null());
    // The element as built is longer than the substitute it works as, and so is its length at
    // resonance: the tubes', not the substitute wire's.
    const double built = report.at("geometry").at("elements")[0].at("length").get<double>();
    EXPECT_NEAR(built, 10.0656, 1e-9);
    const Outcome text =
        run("--lang en -a -g '" ZEVA_EXAMPLES_DIR "/telescoping-dipole-14.2-mhz.json'");
    EXPECT_EQ(text.out.find("front-to-back"), std::string::npos);
    EXPECT_NE(text.out.find("solved as their substitute uniform element"), std::string::npos);
    // The dipole reads capacitive, so resonance is longer than it is; and its tubes, 1.6 %
    // longer than their substitute, resonate past the 33.1 ft of a 26 mm wire.
    const std::string label = "driven element at resonance: ";
    const std::size_t at = text.out.find(label);
    ASSERT_NE(at, std::string::npos) << text.out;
    const double feet = std::stod(text.out.substr(at + label.size()));
    EXPECT_GT(feet, 33.4);
    EXPECT_LT(feet, 34.0);
}

TEST_F(Cli, a_schedule_that_cannot_be_built_is_refused_before_anything_is_written) {
    // Mistakes in the command.
    for (const std::string& arguments :
         {std::string(kDesign) + " --overlap 3in", std::string(kDesign) + " --sections 1in:2in",
          std::string(kDesign) + " --sections '1.25in:36in,abc'",
          std::string(kDesign) + " " + kSchedule + " --stock 6ft,x",
          std::string("--lang en -g x.json ") + kSchedule}) {
        const Outcome out = run(arguments);
        EXPECT_EQ(out.status, 2) << arguments << "\n" << out.err;
    }
    // Fixed tubes of 36 + 48 + 110 in a side are past the director's 30.7 ft, not the others'.
    const Outcome tooLong =
        run(std::string(kDesign) +
            " --sections '1.25in:36in,1.125in:48in,1in:110in,0.875in' --cut-list-csv cuts.csv");
    EXPECT_EQ(tooLong.status, 1);
    EXPECT_NE(tooLong.err.find("director 1: its fixed tubes"), std::string::npos) << tooLong.err;
    EXPECT_FALSE(fs::exists(folder / "cuts.csv"));
    // The elements pass through the boom at their centre tube, which must fit.
    const Outcome boom =
        run(std::string(kDesign) + " " + kSchedule + " --mounting bonded --boom-diameter 1.125in");
    EXPECT_EQ(boom.status, 1);
    EXPECT_NE(boom.err.find("(31.8 mm)"), std::string::npos) << boom.err;
    // The optimiser moves wires and would leave a geometry's tubes behind.
    const Outcome optimised =
        run("--lang en -g '" ZEVA_EXAMPLES_DIR "/telescoping-dipole-14.2-mhz.json' --optimise fb");
    EXPECT_EQ(optimised.status, 1);
    EXPECT_NE(optimised.err.find("not of tubes"), std::string::npos) << optimised.err;
    // A tube that does not slide into the one before it.
    const Outcome wide = run(std::string(kDesign) + " --sections '1in:36in,1.125in:48in,0.875in'");
    EXPECT_EQ(wide.status, 1);
    EXPECT_NE(wide.err.find("tube 2 (28.6 mm) does not slide into tube 1"), std::string::npos)
        << wide.err;
}

}  // namespace
}  // namespace zeva::cli_test
