// SPDX-License-Identifier: MIT
// The main window's layout: every control with its name, text, place (twips), tab index,
// colours and font. Data only; form1.cpp gives it behaviour.
#pragma once

#include <array>

#include "engine/design.h"
#include "ui/layout.h"

namespace zeva::ui::form1 {

inline constexpr int kClientWidth = 8880;  // twips
inline constexpr int kClientHeight = 5925;

// Where a caption's face is a size larger than its box holds with the stand-in face (whose
// Chinese characters are a full em wide), the least step down that shows it whole at scale
// 1 and 2: "大" (17 pixels wide) and its partner "小" 12 → 11.25 pt, and the two wrapping
// captions 8.25 → 7.5 pt, so that each of their lines stays one line.
inline constexpr Font kLabelFont{8.25, true};
inline constexpr Font kLargeCaption{11.25, true};
inline constexpr Font kSmallCaption{7.5};
inline constexpr Font kNine{9};

// clang-format off
inline constexpr Control kControls[] = {
    // Title and frequency input.
    {"Text1", Kind::LabelBox, "Yagi-Uda阵列天线  作者:TAMRIK", 120, 120, 9015, 495, 1, Align::Centre, Colour::Blue, Background::Grey, {18, true, true}},
    {"Text2", Kind::LabelBox, "输入频率(单位:MHZ)", 240, 720, 3495, 285, 2, Align::Centre, Colour::Highlight, Background::Grey, {9.75, true}},
    {"Text3", Kind::TextBox, "0", 3720, 600, 1815, 450, 3, Align::Left, Colour::Highlight, Background::Default, {13.5, true}},
    // Element-count modes.
    {"Option4", Kind::OptionButton, "2 元件", 120, 1080, 1935, 255, 15},
    {"Option1", Kind::OptionButton, "3 元件", 120, 1440, 1935, 255, 4, Align::Left, Colour::Default, Background::Default, kNine},
    {"Option2", Kind::OptionButton, "4 元件", 120, 1800, 1935, 255, 5, Align::Left, Colour::Default, Background::Default, kNine},
    {"Option3", Kind::OptionButton, "多元件", 120, 2160, 1935, 255, 6, Align::Left, Colour::Default, Background::Default, kNine},
    // Element diameter.
    {"Text4", Kind::MultiLineLabel, "元件直径", 2520, 1200, 1095, 495, 7, Align::Left, Colour::Highlight, Background::Grey, {9.75}},
    {"List1", Kind::ListBox, "", 3720, 1200, 1815, 1035, 8},
    {"Text32", Kind::LabelBox, "输入>>>", 2160, 1800, 1455, 285, 58, Align::Right, Colour::Red, Background::LightYellow, {12, true}, true},
    // Tapered elements.
    {"Text5", Kind::MultiLineLabel, "如果使用了锥形元件, 请输入\n最大和最小直径(单位:英寸)，否则为  1 和 1\n", 5640, 600, 3135, 885, 9, Align::Centre, Colour::Default, Background::Default, kSmallCaption},
    {"Text6", Kind::TextBox, "1.0", 5760, 1440, 855, 375, 10, Align::Left, Colour::Default, Background::Default, {9.75, true}},
    {"Text8", Kind::LabelBox, "大", 6720, 1440, 255, 285, 12, Align::Left, Colour::Highlight, Background::Grey, kLargeCaption},
    {"Text9", Kind::LabelBox, "小", 7320, 1440, 375, 255, 13, Align::Right, Colour::Highlight, Background::Grey, kLargeCaption},
    {"Text7", Kind::TextBox, "1.0", 7800, 1440, 855, 375, 11, Align::Left, Colour::Default, Background::Default, {9.75, true}},
    {"Command1", Kind::CommandButton, "计算", 5760, 1920, 2895, 375, 0},
    {"Line1", Kind::Line, "", 0, 2520, 9600, 15, 60},
    // Result area, left half: labels, lengths (Left 1440), spacings (Left 2640).
    {"Text13", Kind::LabelBox, "反射器", 0, 2640, 1215, 285, 18, Align::Right, Colour::Default, Background::Grey, kLabelFont},
    {"Text14", Kind::LabelBox, "驱动元件", 120, 3120, 1095, 285, 19, Align::Right, Colour::Default, Background::Grey, kLabelFont},
    {"Text15", Kind::LabelBox, "引向器 1", 0, 3600, 1215, 375, 20, Align::Right, Colour::Default, Background::Grey, kLabelFont},
    {"Text16", Kind::LabelBox, "引向器 2", 0, 4080, 1215, 375, 21, Align::Right, Colour::Default, Background::Grey, kLabelFont},
    {"Text18", Kind::LabelBox, "引向器 3", 0, 4560, 1215, 375, 23, Align::Right, Colour::Default, Background::Grey, kLabelFont},
    {"Text20", Kind::LabelBox, "引向器 4", 0, 5040, 1215, 405, 25, Align::Right, Colour::Default, Background::Grey, kLabelFont},
    {"Text28", Kind::LabelBox, "引向器 5,6", 240, 5520, 975, 255, 33, Align::Right, Colour::Default, Background::Grey, kLabelFont},
    {"Text10", Kind::ResultBox, "", 1440, 2640, 1095, 285, 14},
    {"Text11", Kind::ResultBox, "", 1440, 3120, 1095, 285, 16},
    {"Text12", Kind::ResultBox, "", 1440, 3600, 1095, 285, 17},
    {"Text17", Kind::ResultBox, "", 1440, 4080, 1095, 285, 22},
    {"Text19", Kind::ResultBox, "", 1440, 4560, 1095, 285, 24},
    {"Text21", Kind::ResultBox, "", 1440, 5040, 1095, 285, 26},
    {"Text33", Kind::ResultBox, "", 1440, 5520, 1095, 285, 37},
    {"Text23", Kind::ResultBox, "", 2640, 2640, 1095, 285, 28},
    {"Text22", Kind::MultiLineLabel, "与前一元件的间距", 2520, 3120, 1335, 495, 27, Align::Centre, Colour::Default, Background::Default, kSmallCaption},
    {"Text24", Kind::ResultBox, "", 2640, 3600, 1095, 285, 29},
    {"Text25", Kind::ResultBox, "", 2640, 4080, 1095, 285, 30},
    {"Text26", Kind::ResultBox, "", 2640, 4560, 1095, 285, 31},
    {"Text27", Kind::ResultBox, "", 2640, 5040, 1095, 285, 32},
    {"Text35", Kind::ResultBox, "", 2640, 5520, 1095, 285, 39},
    // Right half: labels ending at 5295, lengths (Left 5400), spacings (Left 6600).
    {"Text29", Kind::LabelBox, "引向器 7,8", 4320, 2640, 975, 195, 34, Align::Right, Colour::Default, Background::Grey, kLabelFont},
    {"Text30", Kind::LabelBox, "引向器 9,10,11", 4080, 3120, 1215, 285, 35, Align::Right, Colour::Default, Background::Grey, kLabelFont},
    {"Text31", Kind::LabelBox, "引向器 12,13,14,15", 3720, 3600, 1575, 285, 36, Align::Right, Colour::Default, Background::Grey, kLabelFont},
    {"Text37", Kind::LabelBox, "引向器 16,17,18", 4080, 4080, 1215, 285, 41, Align::Right, Colour::Default, Background::Grey, kLabelFont},
    {"Text38", Kind::LabelBox, "引向器 19,20", 4320, 4560, 975, 285, 42, Align::Right, Colour::Default, Background::Grey, kLabelFont},
    {"Text49", Kind::LabelBox, "引向器 21", 4440, 5040, 855, 285, 48, Align::Right, Colour::Default, Background::Grey, kLabelFont},
    {"Text34", Kind::ResultBox, "", 5400, 2640, 1095, 285, 38},
    {"Text41", Kind::ResultBox, "", 5400, 3120, 1095, 285, 43},
    {"Text42", Kind::ResultBox, "", 5400, 3600, 1095, 285, 44},
    {"Text43", Kind::ResultBox, "", 5400, 4080, 1095, 285, 45},
    {"Text44", Kind::ResultBox, "", 5400, 4560, 1095, 285, 46},
    {"Text48", Kind::ResultBox, "", 5400, 5040, 1095, 285, 47},
    {"Text36", Kind::ResultBox, "", 6600, 2640, 1095, 285, 40},
    {"Text50", Kind::ResultBox, "", 6600, 3120, 1095, 285, 49},
    {"Text51", Kind::ResultBox, "", 6600, 3600, 1095, 285, 50},
    {"Text52", Kind::ResultBox, "", 6600, 4080, 1095, 285, 51},
    {"Text53", Kind::ResultBox, "", 6600, 4560, 1095, 285, 52},
    {"Text54", Kind::ResultBox, "", 6600, 5040, 1095, 285, 53},
    {"Text40", Kind::LabelBox, "英尺", 6120, 5520, 975, 495, 57, Align::Centre, Colour::Blue, Background::Grey, {13.5, true}},
    // Commands at the right edge.
    {"Command2", Kind::CommandButton, "转为公制", 7800, 2640, 975, 855, 54},
    {"Command5", Kind::CommandButton, "十进制英尺转英寸", 7800, 3600, 975, 855, 59},
    {"Command3", Kind::CommandButton, "打印", 7800, 4560, 975, 375, 55},
    {"Command4", Kind::CommandButton, "网站", 7800, 5040, 975, 375, 56},
    {"Command6", Kind::CommandButton, "下料与分析", 7800, 5520, 975, 375, 60},
};
// clang-format on

// The result boxes of each element row, in the engine's row order; the driven element has
// no spacing box.
struct RowBoxes {
    const char* length;
    const char* spacing;
};
inline constexpr std::array<RowBoxes, kRowCount> kRowBoxes{{
    {"Text10", "Text23"},
    {"Text11", nullptr},
    {"Text12", "Text24"},
    {"Text17", "Text25"},
    {"Text19", "Text26"},
    {"Text21", "Text27"},
    {"Text33", "Text35"},
    {"Text34", "Text36"},
    {"Text41", "Text50"},
    {"Text42", "Text51"},
    {"Text43", "Text52"},
    {"Text44", "Text53"},
    {"Text48", "Text54"},
}};

}  // namespace zeva::ui::form1
