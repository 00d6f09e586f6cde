// SPDX-License-Identifier: MIT
// The CSV files read back: every cell under its heading holds that heading's figure, so that
// a column filled from the wrong figure is caught, not only the shape of the table.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "sheet/csv_report.h"
#include "sheet/render.h"

namespace zeva::sheet {
namespace {

// Rows of cells; no cell of these tables is quoted.
std::vector<std::vector<std::string>> cellsOf(const std::string& csv) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(csv);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> cells;
        std::istringstream fields(line);
        std::string cell;
        while (std::getline(fields, cell, ',')) cells.push_back(cell);
        if (!line.empty() && line.back() == ',') cells.emplace_back();
        rows.push_back(cells);
    }
    return rows;
}

// An analysis whose every figure differs from every other.
analysis::Analysis distinctFigures() {
    analysis::Analysis a;
    a.pattern.forwardGain = 11.11;
    a.gainDbd = 8.96;
    a.pattern.frontToBack = 21.21;
    a.pattern.frontToRear = 17.17;
    a.feed = {31.313, -4.444};
    a.swr = 1.6161;
    a.pattern.beamwidthE = 51.5;
    a.pattern.beamwidthH = 62.6;
    a.pattern.sidelobe = 13.13;
    a.stackingSideBySide = 2.345;
    a.stackingAbove = 1.987;
    a.segments = 187;
    a.segmentation.perWavelength = 100;
    a.averageGain = 0.9876;
    a.ends = analysis::EndsCheck{200, 0.123, 0.045};
    for (int i = 0; i < 3; ++i) {
        const double f = 143 + i;
        a.sweep.push_back(
            {f, {40.0 + i, -10.0 + 3 * i}, 1.2 + 0.5 * i, 10.5 + 0.25 * i, 20.5 - 2 * i, i != 1});
    }
    return a;
}

TEST(Csv, every_figure_cell_holds_its_heading_s_figure) {
    const analysis::Analysis a = distinctFigures();
    const analysis::Antenna antenna;
    const Report report{OutputFormat::Csv, Language::English, nullptr, antenna, &a};
    const auto rows = cellsOf(figuresCsv(report));
    ASSERT_EQ(rows.size(), 2u);
    ASSERT_EQ(rows[0].size(), rows[1].size());
    std::map<std::string, std::string> byHeading;
    for (std::size_t i = 0; i < rows[0].size(); ++i) byHeading[rows[0][i]] = rows[1][i];
    const std::map<std::string, std::string> expected{
        {"forward gain dBi", "11.11"},
        {"forward gain dBd", "8.96"},
        {"front-to-back dB", "21.21"},
        {"front-to-rear dB", "17.17"},
        {"feed R ohm", "31.313"},
        {"feed X ohm", "-4.444"},
        {"SWR", "1.6161"},
        {"E-plane beamwidth deg", "51.5"},
        {"H-plane beamwidth deg", "62.6"},
        {"sidelobe below main lobe dB", "13.13"},
        {"stacking side by side m", "2.345"},
        {"stacking one above the other m", "1.987"},
        {"segments", "187"},
        {"segments a wavelength", "100"},
        {"average gain", "0.9876"},
        {"sweep ends move ohm", "0.123"},
        {"sweep ends move dB", "0.045"},
        // The SWR of 1.2, 1.7 and 2.2 at 143, 144 and 145 MHz: below 1.5 from the start to
        // 143.6, below 2 to 144.6.
        {"SWR below 1.5 from MHz", "143.0000"},
        {"SWR below 1.5 to MHz", "143.6000"},
        {"SWR below 2 from MHz", "143.0000"},
        {"SWR below 2 to MHz", "144.6000"},
    };
    for (const auto& [heading, value] : expected) {
        ASSERT_TRUE(byHeading.count(heading)) << heading;
        EXPECT_EQ(byHeading.at(heading), value) << heading;
    }
    EXPECT_EQ(byHeading.size(), expected.size());
}

TEST(Csv, every_sweep_cell_holds_its_heading_s_figure) {
    const analysis::Analysis a = distinctFigures();
    const analysis::Antenna antenna;
    const Report report{OutputFormat::Csv, Language::English, nullptr, antenna, &a};
    const auto rows = cellsOf(sweepCsv(report));
    ASSERT_EQ(rows.size(), a.sweep.size() + 1);
    const std::vector<std::string>& headings = rows[0];
    for (std::size_t r = 0; r < a.sweep.size(); ++r) {
        const analysis::SweepPoint& p = a.sweep[r];
        const std::map<std::string, double> expected{
            {"MHz", p.frequency},        {"R ohm", p.feed.resistance},
            {"X ohm", p.feed.reactance}, {"SWR", p.swr},
            {"gain dBi", p.gain},        {"F/B dB", p.frontToBack},
            {"solved", p.solved ? 1 : 0}};
        ASSERT_EQ(rows[r + 1].size(), headings.size());
        for (std::size_t c = 0; c < headings.size(); ++c) {
            ASSERT_TRUE(expected.count(headings[c])) << headings[c];
            EXPECT_DOUBLE_EQ(std::stod(rows[r + 1][c]), expected.at(headings[c]))
                << headings[c] << " row " << r;
        }
    }
}

}  // namespace
}  // namespace zeva::sheet
