// SPDX-License-Identifier: MIT
#include "sheet/labels.h"

#include "analysis/figures.h"

namespace zeva::sheet {
namespace {

Labels labelsIn(Language language) {
    Labels labels{};
    labels.title = translate(language, "Yagi-Uda cut sheet");
    labels.geometryTitle = translate(language, "Antenna geometry");
    labels.mode[0] = translate(language, "2 elements");
    labels.mode[1] = translate(language, "3 elements");
    labels.mode[2] = translate(language, "4 elements");
    labels.mode[3] = translate(language, "multi-element");
    labels.frequency = translate(language, "design frequency");
    labels.diameter = translate(language, "element diameter");
    labels.taper = translate(language, "taper diameters (largest/smallest)");
    labels.inches = translate(language, "in");
    labels.geometryHeadings[0] = translate(language, "element (* driven)");
    labels.geometryHeadings[1] = translate(language, "length m");
    labels.geometryHeadings[2] = translate(language, "position m");
    labels.geometryHeadings[3] = translate(language, "diameter mm");
    labels.boom = translate(language, "boom length");
    labels.gain = translate(language, "forward gain");
    labels.frontToBack = translate(language, "front-to-back ratio");
    labels.frontToRear = translate(language, "front-to-rear ratio");
    labels.impedance = translate(language, "feed-point impedance");
    labels.swr = say(language, "SWR (%1 ohms)", {analysis::shortest(analysis::kFeedlineOhms)});
    labels.beamwidth = translate(language, "-3 dB beamwidth");
    labels.sidelobe = translate(language, "strongest sidelobe");
    labels.stacking = translate(language, "stacking distance (DL6WU)");
    labels.segments = translate(language, "figure", "segments");
    labels.averageGain = translate(language, "average gain");
    labels.sweepEnds = translate(language, "the sweep's ends");
    labels.sweep = translate(language, "sweep");
    labels.sweepHeadings[0] = translate(language, "MHz");
    labels.sweepHeadings[1] = translate(language, "R ohm");
    labels.sweepHeadings[2] = translate(language, "X ohm");
    labels.sweepHeadings[3] = translate(language, "SWR");
    labels.sweepHeadings[4] = translate(language, "gain dBi");
    labels.sweepHeadings[5] = translate(language, "F/B dB");
    labels.colon = translate(language, "punctuation", ": ");
    labels.ohms = translate(language, "ohm");
    labels.worstInSweep = translate(language, "worst within %1");
    labels.trim = translate(language, "driven element at resonance");
    labels.hairpin = translate(language, "hairpin match");
    labels.coax = translate(language, "quarter-wave coaxial transformer");
    labels.gamma = translate(language, "gamma match");
    labels.tee = translate(language, "T match");
    labels.capacitor = translate(language, "series capacitor");
    labels.onInsulators = translate(
        language, "boom correction: the elements sit on insulators above the boom, no correction");
    labels.bonded = translate(language, "elements through a metal boom, bonded to it");
    labels.insulated = translate(language, "elements through a metal boom, insulated from it");
    labels.drivenThrough = translate(language, "the driven element passes through too");
    labels.drivenApart = translate(language, "the driven element is mounted apart, not corrected");
    labels.language = language;
    return labels;
}

}  // namespace

const Labels& labelsFor(Language language) {
    static const Labels chinese = labelsIn(Language::Chinese);
    static const Labels english = labelsIn(Language::English);
    return language == Language::English ? english : chinese;
}

}  // namespace zeva::sheet
