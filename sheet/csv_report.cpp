// SPDX-License-Identifier: MIT
#include "sheet/csv_report.h"

#include <cmath>
#include <cstdint>

#include "sheet/columns.h"

namespace zeva::sheet {
namespace {

using analysis::fixed;

std::string field(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string out = "\"";
    for (const char ch : text) {
        if (ch == '"') out += '"';
        out += ch;
    }
    return out + "\"";
}

std::string line(const std::vector<std::string>& cells) {
    std::string out;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) out += ',';
        out += field(cells[i]);
    }
    return out + "\r\n";
}

// A figure's cell: empty where it is not finite.
std::string cell(double value, int decimals) {
    return std::isfinite(value) ? fixed(value, decimals) : std::string();
}

// One row of figures: each heading in the report's language beside its cell.
class Row {
public:
    explicit Row(Language language) : english_(language == Language::English) {}

    void add(const char* chinese, const char* english, double value, int decimals) {
        headings_.emplace_back(english_ ? english : chinese);
        cells_.push_back(cell(value, decimals));
    }
    void add(const char* chinese, const char* english, std::uint64_t whole) {
        headings_.emplace_back(english_ ? english : chinese);
        cells_.push_back(std::to_string(whole));
    }
    [[nodiscard]] std::string table() const { return line(headings_) + line(cells_); }

private:
    bool english_;
    std::vector<std::string> headings_;
    std::vector<std::string> cells_;
};

void analysisFigures(Row& row, const analysis::Analysis& a) {
    row.add("前向增益(dBi)", "forward gain dBi", a.pattern.forwardGain, 2);
    row.add("前向增益(dBd)", "forward gain dBd", a.gainDbd, 2);
    row.add("前后比(dB)", "front-to-back dB", a.pattern.frontToBack, 2);
    row.add("前后比（整个后半空间）(dB)", "front-to-rear dB", a.pattern.frontToRear, 2);
    row.add("馈点电阻(欧)", "feed R ohm", a.feed.resistance, 3);
    row.add("馈点电抗(欧)", "feed X ohm", a.feed.reactance, 3);
    row.add("驻波比", "SWR", a.swr, 4);
    row.add("E 面波束宽度(度)", "E-plane beamwidth deg", a.pattern.beamwidthE, 1);
    row.add("H 面波束宽度(度)", "H-plane beamwidth deg", a.pattern.beamwidthH, 1);
    row.add("最强旁瓣低于主瓣(dB)", "sidelobe below main lobe dB", a.pattern.sidelobe, 2);
    row.add("并排叠放间距(米)", "stacking side by side m", a.stackingSideBySide, 3);
    row.add("上下叠放间距(米)", "stacking one above the other m", a.stackingAbove, 3);
    row.add("分段数", "segments", a.segments, 0);
    row.add("每波长分段数", "segments a wavelength", a.segmentation.perWavelength, 0);
    const char* chinese[2][2] = {{"驻波比 1.5 以下起(MHz)", "驻波比 1.5 以下止(MHz)"},
                                 {"驻波比 2 以下起(MHz)", "驻波比 2 以下止(MHz)"}};
    const char* english[2][2] = {{"SWR below 1.5 from MHz", "SWR below 1.5 to MHz"},
                                 {"SWR below 2 from MHz", "SWR below 2 to MHz"}};
    for (std::size_t i = 0; i < std::size(analysis::kSwrLevels); ++i) {
        const auto band = analysis::swrBand(a.sweep, analysis::kSwrLevels[i]);
        row.add(chinese[i][0], english[i][0], band ? band->low : std::nan(""), 4);
        row.add(chinese[i][1], english[i][1], band ? band->high : std::nan(""), 4);
    }
}

void tuningFigures(Row& row, const analysis::Tuning& t, double allowance) {
    row.add("驱动元件谐振长度(米)", "resonant driven length m", t.trim.length, 5);
    if (allowance != 0) {
        row.add("驱动元件谐振下料长度(米)", "resonant driven cut length m",
                t.trim.length + allowance, 5);
    }
    row.add("谐振电阻(欧)", "resonant R ohm", t.trim.feed.resistance, 3);
    row.add("谐振驻波比", "resonant SWR", t.trim.swr, 4);
    if (const auto& h = t.hairpin) {
        row.add("发夹匹配驱动元件长度(米)", "hairpin driven length m", h->elementLength, 5);
        if (allowance != 0) {
            row.add("发夹匹配驱动元件下料长度(米)", "hairpin driven cut length m",
                    h->elementLength + allowance, 5);
        }
        row.add("发夹线特性阻抗(欧)", "hairpin line ohm", h->stubImpedance, 2);
        row.add("发夹线长度(米)", "hairpin line length m", h->stubLength, 5);
        row.add("发夹匹配驻波比", "hairpin SWR", h->swr, 4);
    }
    if (const auto& c = t.coax) {
        row.add("变换电缆特性阻抗(欧)", "transformer cable ohm", c->cable.each, 0);
        row.add("并联电缆根数", "cables in parallel", c->cable.parallel, 0);
        row.add("速度因子", "velocity factor", c->velocityFactor, 2);
        row.add("电缆长度(米)", "cable length m", c->length, 5);
        row.add("同轴变换驻波比", "coax transformer SWR", c->swr, 4);
    }
}

void overGroundFigures(Row& row, const analysis::OverGround& over) {
    row.add("离地高度(米)", "height m", over.placement.height, 3);
    row.add("离地高度(波长)", "height wavelengths", over.heightWavelengths, 4);
    // Perfect ground has neither figure: its cells stay empty.
    const nec::Ground& ground = over.placement.ground;
    row.add("地面介电常数", "ground permittivity",
            ground.perfect ? std::nan("") : ground.permittivity, 3);
    row.add("地面电导率(S/m)", "ground conductivity S/m",
            ground.perfect ? std::nan("") : ground.conductivity, 6);
    row.add("仰角(度)", "takeoff elevation deg", over.takeoff, 2);
    row.add("地面上增益(dBi)", "gain over ground dBi", over.gain, 2);
    row.add("仰角波束宽度(度)", "elevation beamwidth deg", over.beamwidth, 1);
    row.add("地面上前后比(dB)", "front-to-back over ground dB", over.frontToBack, 2);
    row.add("地面上馈点电阻(欧)", "feed R over ground ohm", over.feed.resistance, 3);
    row.add("地面上馈点电抗(欧)", "feed X over ground ohm", over.feed.reactance, 3);
    row.add("地面上驻波比", "SWR over ground", over.swr, 4);
}

void toleranceFigures(Row& row, const analysis::Tolerance& t) {
    row.add("长度公差(毫米)", "length tolerance mm", t.request.length * 1000, 3);
    row.add("位置公差(毫米)", "position tolerance mm", t.request.position * 1000, 3);
    row.add("样本数", "samples", static_cast<double>(t.request.samples), 0);
    row.add("种子", "seed", t.request.seed);
    row.add("驻波比中位数", "SWR median", t.swr.median, 3);
    row.add("驻波比 90 % 分位", "SWR 90th percentile", t.swr.p90, 3);
    row.add("驻波比最差", "SWR worst", t.swr.worst, 3);
    row.add("谐振偏移中位数(kHz)", "resonance shift median kHz", t.resonanceShift.median, 2);
    row.add("谐振偏移 90 % 分位(kHz)", "resonance shift 90th percentile kHz", t.resonanceShift.p90,
            2);
    row.add("谐振偏移最差(kHz)", "resonance shift worst kHz", t.resonanceShift.worst, 2);
    row.add("增益中位数(dBi)", "gain median dBi", t.gain.median, 3);
    row.add("增益 90 % 分位(dBi)", "gain 90th percentile dBi", t.gain.p90, 3);
    row.add("增益最差(dBi)", "gain worst dBi", t.gain.worst, 3);
    row.add("前后比中位数(dB)", "front-to-back median dB", t.frontToBack.median, 2);
    row.add("前后比 90 % 分位(dB)", "front-to-back 90th percentile dB", t.frontToBack.p90, 2);
    row.add("前后比最差(dB)", "front-to-back worst dB", t.frontToBack.worst, 2);
}

void measuredFigures(Row& row, const analysis::TrimAdvice& a) {
    const analysis::MeasuredFigures& m = a.measured;
    row.add("测得最小驻波比", "measured least SWR", m.leastSwr, 3);
    row.add("测得最小驻波比频率(MHz)", "measured least SWR MHz", m.leastSwrFrequency, 4);
    row.add("测得谐振频率(MHz)", "measured resonance MHz",
            m.resonance ? *m.resonance : std::nan(""), 4);
    row.add("设计频率上测得电阻(欧)", "measured R at design ohm", m.atDesign.real(), 3);
    row.add("设计频率上测得电抗(欧)", "measured X at design ohm", m.atDesign.imag(), 3);
    row.add("驱动元件修剪(毫米)", "driven element change mm",
            a.advised ? a.drivenChange * 1000 : std::nan(""), 1);
    row.add("匹配线修剪(毫米)", "line change mm",
            a.advised && a.lineChange ? *a.lineChange * 1000 : std::nan(""), 1);
}

}  // namespace

std::string sheetCsv(const Report& report) {
    const bool english = report.language == Language::English;
    std::string out;
    if (report.sheet != nullptr) {
        const CutSheet& sheet = *report.sheet;
        out += line(sheetHeadings(sheet));
        for (const SheetElement& element : sheet.elements) out += line(sheetCells(element));
        return out;
    }
    out += line(
        english
            ? std::vector<std::string>{"element", "role", "length m", "position m", "diameter mm"}
            : std::vector<std::string>{"元件", "作用", "长度(米)", "位置(米)", "直径(毫米)"});
    for (std::size_t i = 0; i < report.antenna.elements.size(); ++i) {
        const analysis::Element& e = report.antenna.elements[i];
        out += line({e.name, analysis::roleOf(report.antenna, i), fixed(e.length, 4),
                     fixed(e.position, 4), fixed(e.diameter * 1000, 2)});
    }
    return out;
}

std::string figuresCsv(const Report& report) {
    Row row(report.language);
    if (report.analysis == nullptr) return row.table();
    analysisFigures(row, *report.analysis);
    if (report.tuning != nullptr) {
        tuningFigures(row, *report.tuning, drivenAllowance(report.sheet));
    }
    if (report.overGround != nullptr) overGroundFigures(row, *report.overGround);
    if (report.tolerance != nullptr) toleranceFigures(row, *report.tolerance);
    if (report.advice != nullptr) measuredFigures(row, *report.advice);
    return row.table();
}

std::string sweepCsv(const Report& report) {
    const bool english = report.language == Language::English;
    std::vector<std::string> headings =
        english ? std::vector<std::string>{"MHz",      "R ohm",  "X ohm", "SWR",
                                           "gain dBi", "F/B dB", "solved"}
                : std::vector<std::string>{"频率(MHz)", "电阻(欧)",   "电抗(欧)", "驻波比",
                                           "增益(dBi)", "前后比(dB)", "直接求解"};
    const analysis::HairpinMatch* hairpin = nullptr;
    const analysis::CoaxMatch* coax = nullptr;
    if (report.tuning != nullptr) {
        if (report.tuning->hairpin) hairpin = &*report.tuning->hairpin;
        if (report.tuning->coax) coax = &*report.tuning->coax;
    }
    if (hairpin != nullptr) headings.emplace_back(english ? "hairpin SWR" : "发夹匹配驻波比");
    if (coax != nullptr) headings.emplace_back(english ? "coax SWR" : "同轴变换驻波比");
    std::string out = line(headings);
    if (report.analysis == nullptr) return out;
    const auto& sweep = report.analysis->sweep;
    for (std::size_t i = 0; i < sweep.size(); ++i) {
        const analysis::SweepPoint& p = sweep[i];
        std::vector<std::string> cells{cell(p.frequency, 4),      cell(p.feed.resistance, 3),
                                       cell(p.feed.reactance, 3), cell(p.swr, 4),
                                       cell(p.gain, 2),           cell(p.frontToBack, 2),
                                       p.solved ? "1" : "0"};
        for (const auto* match : {hairpin != nullptr ? &hairpin->sweepSwr : nullptr,
                                  coax != nullptr ? &coax->sweepSwr : nullptr}) {
            if (match != nullptr) cells.push_back(i < match->size() ? cell((*match)[i], 4) : "");
        }
        out += line(cells);
    }
    return out;
}

}  // namespace zeva::sheet
