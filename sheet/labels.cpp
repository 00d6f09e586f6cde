// SPDX-License-Identifier: MIT
#include "sheet/labels.h"

namespace zeva::sheet {
namespace {

// clang-format off
const Labels kChinese{
    "八木天线下料表", "天线几何", {"2 元件", "3 元件", "4 元件", "多元件"}, "设计频率", "元件直径",
    "锥形直径（大/小）", "英寸",
    {"元件（* 为驱动元件）", "长度(米)", "位置(米)", "直径(毫米)"},
    "天线杆长度", "前向增益", "前后比", "前后比（整个后半空间）", "馈点阻抗", "驻波比（50 欧）",
    "-3 dB 波束宽度", "最强旁瓣", "叠放间距（DL6WU）", "并排", "上下", "分段",
    "每波长", "扫描",
    {"频率(MHz)", "电阻(欧)", "电抗(欧)", "驻波比", "增益(dBi)", "前后比(dB)"},
    "：", "欧", "低于主瓣",
    "，", "；", "驻波比", "±2 % 内最大",
    "驱动元件谐振长度", "发夹匹配", "驱动元件缩短为", "短路双线", "并联电抗",
    "四分之一波长同轴变换",
    "天线杆修正：元件装在天线杆上方的绝缘子上，不需修正",
    "天线杆修正（DL6WU 方法，G3SEK 拟合）", "元件穿过金属杆并与之连接", "元件绝缘地穿过金属杆",
    "驱动元件也穿杆", "驱动元件不穿杆，不修正",
    "分析仍按设计长度建模：修正使穿杆元件的电长度复原", false};
const Labels kEnglish{
    "Yagi-Uda cut sheet", "Antenna geometry", {"2 elements", "3 elements", "4 elements", "multi-element"},
    "design frequency", "element diameter", "taper diameters (largest/smallest)", "in",
    {"element (* driven)", "length m", "position m", "diameter mm"},
    "boom length", "forward gain", "front-to-back ratio", "front-to-rear ratio", "feed-point impedance",
    "SWR (50 ohms)", "-3 dB beamwidth", "strongest sidelobe", "stacking distance (DL6WU)",
    "side by side", "one above the other", "segments", "a wavelength", "sweep",
    {"MHz", "R ohm", "X ohm", "SWR", "gain dBi", "F/B dB"},
    ": ", "ohm", "below the main lobe",
    ", ", "; ", "SWR", "worst within ±2 %",
    "driven element at resonance", "hairpin match", "driven element shortened to",
    "shorted two-wire line", "shunt reactance", "quarter-wave coaxial transformer",
    "boom correction: the elements sit on insulators above the boom, no correction",
    "boom correction (DL6WU's method, G3SEK's fit)", "elements through a metal boom, bonded to it",
    "elements through a metal boom, insulated from it", "the driven element passes through too",
    "the driven element is mounted apart, not corrected",
    "the analysis models the design lengths: the correction restores them electrically", true};
// clang-format on

}  // namespace

const Labels& labelsFor(Language language) {
    return language == Language::English ? kEnglish : kChinese;
}

}  // namespace zeva::sheet
