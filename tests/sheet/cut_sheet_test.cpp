// SPDX-License-Identifier: MIT
#include "sheet/cut_sheet.h"
#include "sheet/figure_lines.h"

#include <gtest/gtest.h>

namespace zeva::sheet {
namespace {

CutSheet sheetOf(ElementMode mode, const char* frequency, int diameter, Language language = {}) {
    DesignRequest request;
    request.design.mode = mode;
    request.design.frequency = frequency;
    request.design.diameterIndex = diameter;
    Result<CutSheet> sheet = makeCutSheet(request, language);
    EXPECT_TRUE(sheet.ok());
    return std::move(sheet).value();
}

// The long boom at 144 MHz with half-inch elements: the figures that the main window shows
// in its result boxes for the same inputs.
TEST(CutSheet, typical_long_boom_has_the_window_figures_element_by_element) {
    const CutSheet sheet = sheetOf(ElementMode::MultiElement, "144", 10);
    ASSERT_EQ(sheet.elements.size(), 23u);
    const SheetElement& reflector = sheet.elements[0];
    EXPECT_EQ(reflector.name, "反射器");
    EXPECT_EQ(reflector.feet, "3.3118");
    EXPECT_EQ(reflector.centimetres, "100.94");
    EXPECT_EQ(reflector.spacingFeet, "");
    EXPECT_EQ(reflector.positionFeet, "0.0000");

    const SheetElement& driven = sheet.elements[1];
    EXPECT_EQ(driven.name, "驱动元件");
    EXPECT_EQ(driven.feet, "3.2526");
    EXPECT_EQ(driven.spacingFeet, "1.8085");  // the window shows it in the reflector's row

    EXPECT_EQ(sheet.elements[2].name, "引向器 1");
    EXPECT_EQ(sheet.elements[2].feet, "3.0548");
    EXPECT_EQ(sheet.elements[2].spacingFeet, "1.1911");
    // Grouped directors are written out one by one with the group's figures.
    for (int director = 12; director <= 15; ++director) {
        const SheetElement& element = sheet.elements[static_cast<std::size_t>(director + 1)];
        EXPECT_EQ(element.name, "引向器 " + std::to_string(director));
        EXPECT_EQ(element.feet, "2.7236");
        EXPECT_EQ(element.spacingFeet, "1.8721");
    }
    const SheetElement& last = sheet.elements.back();
    EXPECT_EQ(last.name, "引向器 21");
    EXPECT_EQ(last.feet, "2.6791");
    EXPECT_EQ(last.spacingFeet, "1.7350");
    EXPECT_EQ(sheet.boomFeet, "37.4851");
    EXPECT_EQ(sheet.boomFeet, last.positionFeet);
}

TEST(CutSheet, positions_are_the_exact_sums_of_the_spacings_shown) {
    for (const ElementMode mode : {ElementMode::TwoElement, ElementMode::ThreeElement,
                                   ElementMode::FourElement, ElementMode::MultiElement}) {
        const CutSheet sheet = sheetOf(mode, "50.1", 8);
        for (std::size_t i = 1; i < sheet.elements.size(); ++i) {
            const SheetElement& element = sheet.elements[i];
            EXPECT_EQ(microOf(element.positionFeet),
                      microOf(sheet.elements[i - 1].positionFeet) + microOf(element.spacingFeet))
                << element.name;
            EXPECT_EQ(microOf(element.positionCentimetres),
                      microOf(sheet.elements[i - 1].positionCentimetres) +
                          microOf(element.spacingCentimetres))
                << element.name;
            EXPECT_NEAR(element.positionMetres * 100,
                        static_cast<double>(microOf(element.positionCentimetres)) / 1e6,
                        0.01 * static_cast<double>(i));
        }
    }
}

// The optimiser's antenna written into the design's sheet: each figure from its metres, the
// positions the sums of the spacings shown, the tape the converter's, the boom cut again.
TEST(CutSheet, an_optimised_antenna_is_written_as_the_sheet_writes_its_own) {
    CutSheet sheet = sheetOf(ElementMode::ThreeElement, "14.2", 16);
    sheet.request.construction.mounting = analysis::Mounting::Bonded;
    sheet.request.construction.boomDiameter = 0.05;
    ASSERT_FALSE(applyBoomCorrection(sheet));
    analysis::Antenna antenna = antennaOf(sheet);
    antenna.elements[1].length = 10.0;    // 32.8084 ft, 1000.00 cm
    antenna.elements[1].position = 6.40;  // 20.9974 ft from the reflector
    antenna.elements[2].position = 6.40 + 2.5;
    CutSheet changed = withAntenna(sheet, antenna);
    EXPECT_EQ(changed.elements[1].feet, "32.8084");
    EXPECT_EQ(changed.elements[1].centimetres, "1000.00");
    EXPECT_EQ(changed.elements[1].tape, "32' 9 45/64\"");  // 9.7008 in: 44.85/64
    EXPECT_EQ(changed.elements[1].spacingFeet, "20.9974");
    EXPECT_EQ(changed.elements[2].spacingCentimetres, "250.00");
    EXPECT_EQ(changed.elements[2].positionFeet,
              figureOf(microOf("20.9974") + microOf(changed.elements[2].spacingFeet), 4));
    EXPECT_EQ(changed.boomCentimetres, "890.00");
    EXPECT_TRUE(changed.elements[1].cutFeet.empty());  // cleared until cut again
    ASSERT_FALSE(applyBoomCorrection(changed));
    EXPECT_EQ(changed.boomCorrection, sheet.boomCorrection);
    EXPECT_FALSE(changed.elements[1].cutFeet.empty());
    const analysis::Antenna back = antennaOf(changed);
    EXPECT_EQ(back.elements[1].length, 10.0);
    EXPECT_EQ(back.elements[2].position, 8.9);
}

TEST(CutSheet, counts_of_elements_follow_the_mode) {
    EXPECT_EQ(sheetOf(ElementMode::TwoElement, "28.5", 10).elements.size(), 2u);
    EXPECT_EQ(sheetOf(ElementMode::ThreeElement, "14.2", 14).elements.size(), 3u);
    EXPECT_EQ(sheetOf(ElementMode::FourElement, "50.1", 8).elements.size(), 4u);
    const CutSheet english = sheetOf(ElementMode::FourElement, "50.1", 8, Language::English);
    EXPECT_EQ(english.elements[0].name, "reflector");
    EXPECT_EQ(english.elements[1].name, "driven element");
    EXPECT_EQ(english.elements[3].name, "director 2");
}

TEST(CutSheet, tape_readings_are_the_converters_without_its_padding) {
    const CutSheet sheet = sheetOf(ElementMode::MultiElement, "144", 10);
    EXPECT_EQ(sheet.elements[0].tape, "3' 3 47/64\"");  // 3.3118 ft
    EXPECT_EQ(sheet.elements[2].tape, "3' 0 21/32\"");  // 3.0548 ft
    // The 14.2 MHz reflector of 1-inch tube: 34.047 ft.
    EXPECT_EQ(sheetOf(ElementMode::ThreeElement, "14.2", 14).elements[0].tape, "34' 0 9/16\"");
}

TEST(CutSheet, engine_errors_come_back_unchanged) {
    DesignRequest request;
    request.design.frequency = "0";
    request.design.diameterIndex = 10;
    const Result<CutSheet> zero = makeCutSheet(request, Language::Chinese);
    ASSERT_FALSE(zero.ok());
    EXPECT_EQ(zero.error(), (Error{ErrorKind::FrequencyNotPositive, Input::Frequency}));
    request.design.frequency = "144";
    request.design.smallestDiameter = "x";
    const Result<CutSheet> lettered = makeCutSheet(request, Language::Chinese);
    ASSERT_FALSE(lettered.ok());
    EXPECT_EQ(lettered.error(), (Error{ErrorKind::TypeMismatch, Input::SmallestDiameter}));
}

TEST(CutSheet, the_model_diameter_is_the_element_or_the_mean_of_a_taper) {
    EXPECT_DOUBLE_EQ(sheetOf(ElementMode::ThreeElement, "14.2", 10).diameterInches, 0.5);
    DesignRequest request;
    request.design.mode = ElementMode::ThreeElement;
    request.design.frequency = "14.2";
    request.design.diameterIndex = 10;
    request.design.largestDiameter = "1.5";
    request.design.smallestDiameter = "0.5";
    EXPECT_DOUBLE_EQ(makeCutSheet(request, Language::Chinese).value().diameterInches, 1.0);
}

TEST(CutSheet, figures_in_millionths) {
    EXPECT_EQ(microOf("1.8085"), 1'808'500);
    EXPECT_EQ(microOf("12"), 12'000'000);
    EXPECT_EQ(microOf("0.5"), 500'000);
    EXPECT_EQ(figureOf(2'999'600, 4), "2.9996");
    EXPECT_EQ(figureOf(1'142'570'000, 3), "1142.570");
    EXPECT_EQ(figureOf(12'000'000, 0), "12");
    EXPECT_EQ(figureOf(5'000, 4), "0.0050");
}

// The model's own check in the report: a plain figure near 1, a caution with what it means
// for the gains further off, and nothing where the engine gave no sphere.
TEST(CutSheet, the_average_gain_line_and_its_caution) {
    analysis::Analysis a;
    const auto lineOf = [&](double average) -> std::string {
        a.averageGain = average;
        for (const FigureLine& line :
             reportLines(a, nullptr, nullptr, labelsFor(Language::English))) {
            if (line.label == std::string("average gain")) return line.text;
        }
        return "";
    };
    EXPECT_EQ(lineOf(1.0004),
              "1.000 (the radiated power over the power fed in; 1 for a sound model)");
    EXPECT_EQ(lineOf(0.9),
              "0.900: caution, more than 0.05 off 1, so the model's gains may be off by 0.46 dB "
              "(tapers and close spacings can do this)");
    EXPECT_EQ(lineOf(NAN), "");
}

// The sweep's ends: converged, still moving (with the limits), or not solved at all.
TEST(CutSheet, the_sweep_ends_line_says_which_of_three) {
    analysis::Analysis a;
    const auto lineOf = [&](double ohms, double db) -> std::string {
        a.ends = analysis::EndsCheck{400, ohms, db};
        for (const FigureLine& line :
             reportLines(a, nullptr, nullptr, labelsFor(Language::English))) {
            if (line.label == std::string("the sweep's ends")) return line.text;
        }
        return "";
    };
    EXPECT_EQ(lineOf(0.26, 0.006),
              "converged too: at 400 segments a wavelength they move by 0.26 ohm and 0.006 dB");
    EXPECT_EQ(lineOf(0.2, 0.03),
              "caution: at 400 segments a wavelength they still move by 0.20 ohm and 0.030 dB "
              "(the design frequency is held to 0.5 ohm and 0.02 dB); take the sweep's ends as "
              "less certain than its middle");
    EXPECT_EQ(lineOf(NAN, NAN),
              "not checked at 400 segments a wavelength: two solves of more than 1000 segments "
              "would cost more than the rest of the analysis");
}

}  // namespace
}  // namespace zeva::sheet
