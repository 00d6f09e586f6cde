// SPDX-License-Identifier: MIT
// zeva-sheet --help in English and in Chinese.
#include "cli/options.h"

namespace zeva::sheet {

std::string usage(Language language) {
    if (language == Language::English) {
        return R"(Usage: zeva-sheet --frequency MHZ --diameter D [OPTION]...
The cut sheet of a Yagi-Uda antenna: every element's length (decimal feet, centimetres,
feet-inches-64ths), its spacing from the element before it, its position from the
reflector, and the boom length. Optionally a NEC-2 deck and its analysis.

  -e, --elements MODE    2, 3, 4 or multi (21 directors; the default)
  -f, --frequency MHZ    design frequency in MHz
  -d, --diameter D       element diameter: catalogue index 0 to 21, or its inch text
                         (such as 1/2, "1 1/8", "AWG 14"; 1in and 2in for whole inches)
      --largest IN       largest diameter of a tapered element, inches (default 1)
      --smallest IN      smallest diameter of a tapered element, inches (default 1)
      --format FORMAT    text (the default), csv (the sheet's table alone) or json
      --lang LANG        zh or en (by default the locale's: LC_ALL, LC_MESSAGES, LANG)
  -g, --geometry FILE    analyse the antenna of a JSON file instead of a design: its
                         frequency_mhz, unit (m, cm, mm, in, ft) and elements, each with
                         name, length, position, diameter and, for one, "driven": true;
                         the JSON that --format json writes reads back as it is; - reads
                         standard input
      --nec FILE         write the NEC-2 deck (at the converged segmentation with --analyse)
  -a, --analyse          analyse with NEC-2: gain (dBi, dBd), front-to-back and front-to-rear
                         ratios, impedance, SWR, beamwidths, sidelobe, stacking distances,
                         and gain, F/B and SWR across the sweep (--sweep)
      --plot FILE.svg    with --analyse: E-plane and H-plane patterns as an SVG (and the
                         elevation pattern with --height)
      --figures-csv FILE  with --analyse: the analysis' figures as one CSV row, each
                         heading with its unit
      --sweep-csv FILE   with --analyse: the sweep as a CSV table, a row a frequency
                         (for --nec, --plot and the CSV files, - writes standard output
                         instead of the sheet)
      --engine NAME      builtin (NEC-2 in process, the default) or nec2c (Debian's
                         nec2c program, the reference; slower)
      --time-limit S     seconds one nec2c run may take (default 300)
      --mounting HOW     how the elements are mounted: insulators (above the boom, no
                         correction), insulated or bonded (through a round metal boom)
      --boom-diameter D  the boom's outer diameter (mm, or with cm or in; 25.4, 3/4in,
                         "1 1/4in")
      --driven-through-boom  the driven element passes through the boom too
      --match KIND       with --analyse: hairpin, coax or hairpin,coax: a 50-ohm match
      --hairpin-wire D   diameter of the hairpin's wires (default 3 mm)
      --hairpin-spacing S  spacing of the hairpin's wires, centre to centre (default 50 mm)
      --velocity-factor V  of the coaxial transformer's cable (default 0.66)
      --sweep PCT|F1:F2  with --analyse: sweep the design frequency +/- PCT % (default 2,
                         at most 10) or from F1 to F2 MHz (within +/-10 %)
      --height H         with --analyse: the antenna H above the ground, its elements
                         horizontal (metres, or with cm, mm, ft, in): takeoff angle, gain
                         there, elevation beamwidth, F/B there, feed impedance over ground
      --ground KIND      perfect, poor, average (the default), good, sea, or EPS,SIGMA
                         (relative permittivity, conductivity in S/m)
      --tolerance L[,P]  with --analyse: every element's length off by up to L and its
                         position by up to P (mm, or with cm, in): the spread of SWR,
                         resonance, gain and F/B, and the elements that matter most
      --samples N        antennas drawn for --tolerance (default 200)
      --seed N           where the draw starts (default 1): the same seed, the same samples
      --measured FILE    with --analyse: a one-port Touchstone sweep (.s1p) of the antenna
                         as built, measured at its feed (through the match given with
                         --match, one at most): the least SWR, the resonance, the impedance
                         at the design frequency, and how much to trim
  -h, --help             this text
      --version          the program's name and version

Every file of a run is written, or none. Tapered elements are modelled with the mean of the
largest and smallest diameters; the output says how far their figures hold (a model of the
taper's steps differs by up to about 0.2 dB and 6 ohms for tapers up to 2.5:1). A geometry
file must name its unit, and is refused when larger than 1 MiB, with more than 300 elements,
an element longer than 3 wavelengths or a boom longer than 200 wavelengths: the analysis
refuses them.

The analysis: each element one straight wire in free space, fed at its middle segment,
NEC-2's extended thin-wire kernel. The segments are doubled from 25 a wavelength until a
doubling moves R and X by less than 0.5 ohm and the gain by less than 0.02 dB; every figure
comes from the segmentation so found. It refuses, with exit status 1:
  - an element thicker than a thin-wire model allows (circumference over 0.1 wavelength);
  - figures that would need segments shorter than two radii to converge (the extended
    kernel's limit), or more than 800 segments a wavelength;
  - elements that overlap;
  - a design that is no beam: its strongest lobe more than 30 degrees off the directors.
The sweep solves nine of its 21 steps and takes the others from rational fits of the
impedance and the fields where two fits of different order agree within 0.05 ohm and
0.005 dB; the others are solved too (--engine nec2c solves every step). With the analysis,
the driven element is trimmed to zero reactance at the design frequency by a few solutions
at that segmentation.

From design to antenna: an element through a metal boom is lengthened by a fraction of the
boom diameter d that depends on b = d / wavelength (DL6WU's method as fitted by G3SEK, for b
below 0.055): bonded 733b(0.055 - b) - 504b(0.03 - b), insulated 12.5975b - 114.5b^2; the
analysis keeps modelling the design lengths. A hairpin match shortens the driven element to
R - j sqrt(R(50 - R)) and shunts it with 50 sqrt(R/(50 - R)) ohms, a shorted two-wire line of
276 log10(2S/d) ohms; a quarter-wave transformer needs sqrt(50 R) ohms, made of the nearest of
50, 75 and 93-ohm cable, one or two in parallel. Each gives its SWR across the sweep, or says
why it is not worth building (R of 50 ohms or more, or an SWR of 1.2 or more).
)";
    }
    return R"(用法：zeva-sheet --frequency MHZ --diameter D [选项]...
八木天线下料表：每个元件的长度（十进制英尺、厘米、英尺-英寸-1/64）、与前一元件的间距、
距反射器的位置，以及天线杆长度。可另写 NEC-2 模型文件并做 NEC-2 分析。

  -e, --elements MODE    2、3、4 或 multi（21 个引向器；默认）
  -f, --frequency MHZ    设计频率（MHz）
  -d, --diameter D       元件直径：目录序号 0 到 21，或英寸文字（如 1/2、"1 1/8"、"AWG 14"；
                         整英寸写作 1in、2in）
      --largest IN       锥形元件的最大直径（英寸，默认 1）
      --smallest IN      锥形元件的最小直径（英寸，默认 1）
      --format FORMAT    text（默认）、csv（仅下料表）或 json
      --lang LANG        zh 或 en（默认随区域设置：LC_ALL、LC_MESSAGES、LANG）
  -g, --geometry FILE    分析 JSON 文件中的天线而不是设计：frequency_mhz、unit（m、cm、mm、
                         in、ft）和 elements，每个元件有 name、length、position、diameter，
                         驱动元件另有 "driven": true；--format json 写出的 JSON 可原样读回；
                         - 读标准输入
      --nec FILE         写出 NEC-2 模型文件（与 --analyse 同用时按收敛的分段）
  -a, --analyse          用 NEC-2 分析：增益（dBi、dBd）、前后比、整个后半空间的前后比、
                         馈点阻抗、驻波比、波束宽度、旁瓣、叠放间距，以及扫描范围（--sweep）
                         内每一步的增益、前后比和驻波比
      --plot FILE.svg    与 --analyse 同用：E 面和 H 面方向图（SVG；与 --height 同用时另有
                         仰角方向图）
      --figures-csv FILE  与 --analyse 同用：分析结果写成一行 CSV，标题带单位
      --sweep-csv FILE   与 --analyse 同用：扫描写成 CSV 表，每个频率一行
                         （--nec、--plot 和这两个 CSV 文件的 - 写到标准输出，代替下料表）
      --engine NAME      builtin（程序内的 NEC-2，默认）或 nec2c（Debian 的 nec2c 程序，
                         作为参照；较慢）
      --time-limit S     每次运行 nec2c 的时间上限（秒，默认 300）
      --mounting HOW     元件的安装方式：insulators（装在杆上方的绝缘子上，不修正）、
                         insulated 或 bonded（穿过圆形金属杆，绝缘或连接）
      --boom-diameter D  天线杆外径（mm，或带 cm、in；如 25.4、3/4in、"1 1/4in"）
      --driven-through-boom  驱动元件也穿过天线杆
      --match KIND       与 --analyse 同用：hairpin、coax 或 hairpin,coax：50 欧匹配
      --hairpin-wire D   发夹匹配导线的直径（默认 3 mm）
      --hairpin-spacing S  发夹匹配两线的中心距（默认 50 mm）
      --velocity-factor V  同轴变换电缆的速度因子（默认 0.66）
      --sweep PCT|F1:F2  与 --analyse 同用：扫描设计频率 ±PCT %（默认 2，至多 10），
                         或从 F1 到 F2 MHz（在 ±10 % 以内）
      --height H         与 --analyse 同用：天线离地高度 H，元件水平（米，或带 cm、mm、ft、
                         in）：仰角、该处增益、仰角波束宽度、该仰角的前后比、离地馈点阻抗
      --ground KIND      perfect、poor、average（默认）、good、sea，或 介电常数,电导率（S/m）
      --tolerance L[,P]  与 --analyse 同用：每个元件的长度至多差 L、位置至多差 P（mm，或带
                         cm、in）：驻波比、谐振、增益和前后比的分布，以及影响最大的元件
      --samples N        公差分析的样本数（默认 200）
      --seed N           抽样的起点（默认 1）：同一种子，同样的样本
      --measured FILE    与 --analyse 同用：建成的天线在馈电点测得的单端口 Touchstone 扫描
                         （.s1p；有匹配时用 --match 说明是哪一种，至多一种）：最小驻波比、
                         谐振、设计频率上的阻抗，以及该修剪多少
  -h, --help             显示本说明
      --version          显示程序名称和版本

一次运行的所有文件要么全部写出，要么一个也不写。锥形元件按最大和最小直径的平均值建模，输出会说明
其数字的可信程度（按渐变阶梯建模时，渐变比 2.5:1 以内约差 0.2 dB 和 6 欧）。几何文件必须注明单位；
超过 1 MiB、多于 300 个元件、元件长于 3 个波长或天线杆长于 200 个波长时拒绝分析。

分析方法：每个元件是自由空间中的一根直导线，在中间一段馈电，使用 NEC-2 的扩展细线核。
分段从每波长 25 段起逐次加倍，直到加倍后电阻和电抗的变化都小于 0.5 欧、增益的变化小于
0.02 dB；所有数字都取自这样找到的分段。以下情况拒绝分析，退出状态为 1：
  - 元件对细导线模型太粗（周长超过 0.1 波长）；
  - 要收敛须使分段短于两倍半径（扩展细线核的限度），或超过每波长 800 段；
  - 元件相互重叠；
  - 设计不是定向天线：最强的波瓣偏离引向器方向超过 30 度。
扫描的 21 个频率点中先求解 9 个，其余取自阻抗和场的有理拟合，只在两个不同阶的拟合相差
小于 0.05 欧和 0.005 dB 时采用，否则也直接求解（--engine nec2c 每一点都求解）。分析时还按
同一分段求解几次，把驱动元件调到设计频率上电抗为零的谐振长度。

从设计到天线：穿过金属杆的元件按杆径 d 的一个比例加长，比例取决于 b = d / 波长（DL6WU 方法，
G3SEK 拟合，b 小于 0.055）：连接 733b(0.055 - b) - 504b(0.03 - b)，绝缘 12.5975b - 114.5b^2；
分析仍按设计长度建模。发夹匹配把驱动元件缩短到 R - j√(R(50 - R))，并联 50√(R/(50 - R)) 欧的
电抗，即特性阻抗 276 log10(2S/d) 欧的短路双线；四分之一波长变换需要 √(50R) 欧，取 50、75、
93 欧电缆中最接近的一根或两根并联。每种匹配给出扫描范围内的驻波比，或说明为何不值得做
（R 不低于 50 欧，或驻波比不能低于 1.2）。
)";
}

}  // namespace zeva::sheet
