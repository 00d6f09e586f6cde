// SPDX-License-Identifier: MIT
#include "cli/messages.h"

namespace zeva::sheet {
namespace {

// clang-format off
const Messages kChinese{
    "未知的选项：", "选项缺少值：", "元件数必须是 2、3、4 或 multi：",
    "元件直径必须是 0 到 21 的目录序号或英寸文字（如 1/2）：", "输出格式必须是 text、csv 或 json：",
    "语言必须是 zh 或 en：", "缺少频率（--frequency）", "缺少元件直径（--diameter）",
    "多余的参数：", "--plot 需要 --analyse", "直径必须大于零：",
    "--geometry 不能与 --elements、--frequency、--diameter、--largest、--smallest 同用",
    "时间限制必须是大于零的秒数：",
    "安装方式必须是 insulators、insulated 或 bonded：",
    "长度必须是大于零的数，可带单位 mm、cm 或 in（默认 mm）：",
    "匹配必须是 hairpin、coax 或 hairpin,coax：", "速度因子必须在 0 和 1 之间：",
    "--mounting insulated 或 bonded 需要 --boom-diameter", "--match 需要 --analyse",
    "求解程序必须是 builtin 或 nec2c：",
    "--boom-diameter 需要 --mounting insulated 或 bonded",
    "锥形元件的最大直径（--largest）小于最小直径（--smallest）",
    "两个输出（--nec、--plot、--figures-csv、--sweep-csv）不能写到同一个文件：",
    "高度必须是大于零的数，可带单位 m、cm、mm、ft 或 in（默认 m）：",
    "地面必须是 perfect、poor、average、good、sea，或 介电常数,电导率（S/m，介电常数至少 1）：",
    "--ground 需要 --height",
    "扫描范围必须是 0 到 10 之间的百分数，或 F1:F2（MHz，F1 < F2）：",
    "公差必须是 长度[,位置]，各为零或正数，可带单位 mm、cm 或 in（默认 mm）：",
    "样本数必须是 1 到 10000 之间的整数：", "种子必须是非负整数：",
    "--samples 和 --seed 需要 --tolerance",
    "--height、--sweep、--tolerance、--measured、--figures-csv 和 --sweep-csv 需要 --analyse",
    "--measured 只能与一种匹配同用：测量的天线是哪一种（--match hairpin 或 coax）？",
    "选项有歧义：", "只有一个输出能写到标准输出（-）"};
const Messages kEnglish{
    "unknown option: ", "option needs a value: ", "element count must be 2, 3, 4 or multi: ",
    "diameter must be a catalogue index 0 to 21 or an inch text such as 1/2: ",
    "format must be text, csv or json: ", "language must be zh or en: ",
    "no frequency given (--frequency)", "no element diameter given (--diameter)",
    "unexpected argument: ", "--plot needs --analyse", "the diameter must be above zero: ",
    "--geometry goes with none of --elements, --frequency, --diameter, --largest, --smallest",
    "the time limit must be a number of seconds above zero: ",
    "mounting must be insulators, insulated or bonded: ",
    "a length must be a number above zero, with mm, cm or in (mm by default): ",
    "match must be hairpin, coax or hairpin,coax: ", "the velocity factor must lie between 0 and 1: ",
    "--mounting insulated or bonded needs --boom-diameter", "--match needs --analyse",
    "the engine must be builtin or nec2c: ",
    "--boom-diameter needs --mounting insulated or bonded",
    "the largest taper diameter (--largest) is below the smallest (--smallest)",
    "two outputs (--nec, --plot, --figures-csv, --sweep-csv) cannot write one file: ",
    "the height must be a number above zero, with m, cm, mm, ft or in (m by default): ",
    "the ground must be perfect, poor, average, good, sea, or PERMITTIVITY,CONDUCTIVITY (S/m, "
    "permittivity at least 1): ",
    "--ground needs --height",
    "the sweep must be a per cent above 0 and at most 10, or F1:F2 in MHz with F1 < F2: ",
    "the tolerance must be LENGTH[,POSITION], each zero or more, with mm, cm or in (mm by "
    "default): ",
    "the samples must be a whole number from 1 to 10000: ",
    "the seed must be a whole number of zero or more: ",
    "--samples and --seed need --tolerance",
    "--height, --sweep, --tolerance, --measured, --figures-csv and --sweep-csv need --analyse",
    "--measured goes with one match at most: which one does the measured antenna have "
    "(--match hairpin or coax)?",
    "ambiguous option: ", "one output at most can go to standard output (-)"};
// clang-format on

}  // namespace

const Messages& messagesFor(Language language) {
    return language == Language::English ? kEnglish : kChinese;
}

}  // namespace zeva::sheet
