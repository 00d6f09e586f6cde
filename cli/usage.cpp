// SPDX-License-Identifier: MIT
// zeva-sheet --help, a paragraph a text of the catalogue, its limits and defaults filled in from
// the constants the program works by.
#include "analysis/analyser.h"
#include "analysis/build.h"
#include "analysis/deck.h"
#include "analysis/optimiser.h"
#include "analysis/sweep_fit.h"
#include "analysis/tolerance.h"
#include "analysis/tuner.h"
#include "cli/options.h"

static_assert(zeva::analysis::kMostRefinedSweepSegments == 500, "the help says 500");
static_assert(zeva::analysis::kMostEndsCheckSegments == 1000, "the help says 1000");

namespace zeva::sheet {

std::string usage(Language language) {
    using analysis::shortest;
    return say(language,
               R"(Usage: zeva-sheet --frequency MHZ --diameter D [OPTION]...
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
                         name, length, position, diameter and, for one, "driven": true
                         (an element of tubes gives "sections" instead of its diameter,
                         each diameter_m and length_m, one side, from the centre outwards);
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
      --match KIND       with --analyse: hairpin, coax or hairpin,coax: a %1-ohm match
                         across a split driven element; gamma or t: a match of a driven
                         element bonded to the boom (--mounting bonded --driven-through-boom)
      --hairpin-wire D   diameter of the hairpin's wires (default 3 mm)
      --hairpin-spacing S  spacing of the hairpin's wires, centre to centre (default 50 mm)
      --velocity-factor V  of the coaxial transformer's cable (default 0.66)
      --gamma-rod D      diameter of the gamma or T match's rod (default 0.4 of the driven
                         element's)
      --gamma-spacing S  the rod's spacing from the element, centre to centre (default 5
                         of the element's diameters)
      --t-feed OHMS      the T match's feed: 200 (through a 4:1 balun, the default) or 50
                         (through a 1:1 current balun)
      --sections TUBES   elements of telescoping tubes, from the centre outwards, one side:
                         diameter:length of each tube (the centre tube's half length), the
                         tip's diameter alone, such as 1.25in:36in,1.125in:48in,1in:48in,0.875in
                         (mm, cm, m, in or ft; mm by default); each tip is solved so that the
                         element works as its uniform wire of the design (Leeson's substitute
                         element); prints the cut list and the tubes to buy
      --overlap L        of each tube inside the one before (default 3in)
      --wall W           of every tube, to check that each slides into the one before
                         (default 0.058in)
      --stock L1,L2      the lengths tubes are sold in (default 6ft,12ft)
      --drawing FILE.svg  the workshop drawing: the boom to scale with each element's place,
                         and one half of every element with its tubes, in centimetres
      --cut-list-csv FILE   every element's tubes as a CSV table, millimetres
      --materials-csv FILE  the tubes by size and stock length as a CSV table
      --sweep PCT|F1:F2  with --analyse: sweep the design frequency +/- PCT % (default %2,
                         at most %3) or from F1 to F2 MHz (within +/-%3 %)
      --height H         with --analyse: the antenna H above the ground, its elements
                         horizontal (metres, or with cm, mm, ft, in): takeoff angle, gain
                         there, elevation beamwidth, F/B there, feed impedance over ground;
                         at most 10 wavelengths
      --ground KIND      perfect, poor, average (the default), good, sea, or EPS,SIGMA
                         (relative permittivity at least 1, conductivity at least
                         0.000001 S/m)
      --tolerance L[,P]  with --analyse: every element's length off by up to L and its
                         position by up to P (mm, or with cm, in): the spread of SWR,
                         resonance, gain and F/B, and the elements that matter most
      --samples N        antennas drawn for --tolerance (default %4)
      --seed N           where the draw starts (default 1): the same seed, the same samples
      --measured FILE    with --analyse: a one-port Touchstone sweep (.s1p) of the antenna
                         as built, measured at its feed (through the match given with
                         --match, one at most): the least SWR, the resonance, the impedance
                         at the design frequency, and how much to trim (through a gamma or T
                         match: how far to move the strap and how to change the capacitor)
  -h, --help             this text
      --version          the program's name and version
)",
               {shortest(analysis::kFeedlineOhms), shortest(analysis::kSweepSpan * 100),
                shortest(analysis::kMaxSweepSpan * 100),
                std::to_string(analysis::kDefaultSamples)}) +
           "\n" +
           say(language,
               R"(Every file of a run is written, or none. Tapered elements are modelled with the mean of the
largest and smallest diameters; the output says how far their figures hold (against a
full-wave model an element of telescoping tubes with a 2:1 taper resonates about 4 % higher
than that wire: its reactance may be 25-35 ohms off, its gain about 0.2 dB; give the tubes
with --sections and each tip is solved for the wire instead). A geometry
file must name its unit, and is refused when larger than %1 MiB, with more than %2 elements,
an element longer than %3 wavelengths or a boom longer than %4 wavelengths: the analysis
refuses them.
)",
               {std::to_string(kMaxGeometryBytes >> 20), std::to_string(analysis::kMaxElements),
                shortest(analysis::kMaxElementWavelengths), shortest(analysis::kMaxBoomLength)}) +
           "\n" +
           say(language,
               R"(The analysis: each element one straight wire in free space, fed at its middle segment,
NEC-2's extended thin-wire kernel. The segments are doubled from %1 a wavelength, with a
last step to the finest count that keeps them longer than two radii, until a step moves R
and X by less than %2 ohm and the gain by less than %3 dB; every figure comes from the
coarser segmentation of that pair. It refuses, with exit status 1:
  - an element thicker than a thin-wire model allows (circumference over %4 wavelength);
  - figures that would need segments shorter than two radii to converge (the extended
    kernel's limit), or more than %5 segments a wavelength;
  - elements that overlap;
  - a design that is no beam: its strongest lobe more than %6 degrees off the directors.
The sweep solves seven of its %7 steps (eleven where the fits disagree) and takes the
others from rational fits of the impedance and the fields where two fits of different order
agree within %8 ohm and %9 dB; the others are solved too (--engine nec2c solves every step).
The sweep's two ends are solved at the finer level of the pair too (where it has at most 1000
segments): where they move more than the limits, a sweep of at most 500 segments is solved
again at that level, and a larger one is reported with how far its ends move. Each 1.5:1
and 2:1 band edge inside the sweep is solved where the SWR crosses the level, to within
1 kHz or 0.02 % of the frequency. With the analysis, the driven element is trimmed to zero
reactance at the design frequency by a few solutions at that segmentation.
)",
               {std::to_string(analysis::kLevels[0]), shortest(analysis::kConvergedOhms),
                shortest(analysis::kConvergedGain), shortest(analysis::kMaxCircumference),
                std::to_string(std::end(analysis::kLevels)[-1]), shortest(analysis::kMaxBeamOffset),
                std::to_string(analysis::kSweepSteps), shortest(analysis::kFitOhms),
                shortest(analysis::kFitDb)}) +
           "\n" +
           say(language,
               R"(From design to antenna: an element through a metal boom is lengthened by a fraction of the
boom diameter d that depends on b = d / wavelength (DL6WU's method as fitted by G3SEK, for b
below %1): bonded 733b(0.055 - b) - 504b(0.03 - b), insulated 12.5975b - 114.5b^2; the
analysis keeps modelling the design lengths. A hairpin match shortens the driven element to
R - j sqrt(R(%2 - R)) and shunts it with %2 sqrt(R/(%2 - R)) ohms, a shorted two-wire line of
276 log10(2S/d) ohms; a quarter-wave transformer needs sqrt(%2 R) ohms, made of the nearest of
50, 75 and 93-ohm cable, one or two in parallel. Each gives its SWR across the sweep, or says
why it is not worth building (R of %2 ohms or more, or an SWR of %3 or more).
)",
               {shortest(analysis::kMaxBoomWavelengths), shortest(analysis::kFeedlineOhms),
                shortest(analysis::kMatchedSwr)}) +
           "\n" +
           say(language,
               R"(Optimising (with the analysis, by the built-in engine):
      --optimise GOALS   move every element's length (within +/-%1 %) and the position of
                         every element between the first and the last (no spacing below
                         %2 wavelength, or half the design's where that is less), the boom
                         held, towards the goals over the band:
                         gain (the most forward gain, the strongest sidelobe at least %3 dB
                         down), fb (the best F/B) or swr (the flattest SWR), then limits
                         across the band, comma-separated: fb>=20, fr>=18, swr<=1.3,
                         gain>=17, sidelobe>=18; and asbuilt: each antenna judged over six
                         cut within --tolerance (default 1mm,2mm), the SWR's 90th
                         percentile and the others' medians
      --optimise-time S  the search's time cap in seconds (default 120)
The band is --sweep's F1:F2 where given, else the design frequency +/-%4 %; the SWR is
taken through the match given with --match (a hairpin where both are), designed at the
band's centre with the driven element trimmed for it as the tuner trims it; behind a match
the search leaves the driven element's length as it is. --seed starts the search: the same
seed, the same antenna, unless the time cap ends it. Ctrl-C ends the search and keeps the
best antenna so far. The result is analysed again at its converged segmentation, and every
figure printed, before and after, comes from the converged segmentation of each; the sheet,
the geometry of --format json and the deck are the optimised antenna's.
)",
               {shortest(analysis::kLengthFreedom * 100), shortest(analysis::kLeastSpacing),
                shortest(analysis::kCleanSidelobe), shortest(analysis::kDefaultBandSpan * 100)});
}

}  // namespace zeva::sheet
