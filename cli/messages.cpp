// SPDX-License-Identifier: MIT
#include "cli/messages.h"

#include "analysis/deck.h"
#include "analysis/tolerance.h"

namespace zeva::sheet {
namespace {

Messages messagesIn(Language language) {
    Messages m{};
    m.unknownOption = translate(language, "unknown option: ");
    m.missingValue = translate(language, "option needs a value: ");
    m.badMode = translate(language, "element count must be 2, 3, 4 or multi: ");
    m.badDiameter = translate(
        language, "diameter must be a catalogue index 0 to 21 or an inch text such as 1/2: ");
    m.badFormat = translate(language, "format must be text, csv or json: ");
    m.badLanguage = translate(language, "language must be zh or en: ");
    m.noFrequency = translate(language, "no frequency given (--frequency)");
    m.noDiameter = translate(language, "no element diameter given (--diameter)");
    m.unexpected = translate(language, "unexpected argument: ");
    m.plotNeedsAnalysis = translate(language, "--plot needs --analyse");
    m.notPositive = translate(language, "the diameter must be above zero: ");
    m.geometryAndDesign = translate(
        language,
        "--geometry goes with none of --elements, --frequency, --diameter, --largest, --smallest");
    m.badTimeLimit = translate(language, "the time limit must be a number of seconds above zero: ");
    m.emptyPath = translate(language, "a file name must not be empty: ");
    m.badMounting = translate(language, "mounting must be insulators, insulated or bonded: ");
    m.badLength = translate(
        language, "a length must be a number above zero, with mm, cm or in (mm by default): ");
    m.badMatch = translate(language, "match must be hairpin, coax, hairpin,coax, gamma or t: ");
    m.badSections = translate(
        language,
        "tubes must read as diameter:length from the centre outwards, the tip's diameter alone, "
        "such as 1.25in:36in,1.125in:48in,1in: ");
    m.badStock = translate(language, "stock lengths must read as lengths such as 6ft,12ft: ");
    m.tubePartsNeedSections = translate(
        language, "--overlap, --wall, --stock, --cut-list-csv and --materials-csv need --sections");
    m.sectionsNeedDesign = translate(language, "--sections goes with a design, not --geometry");
    m.drawingNeedsDesign = translate(language, "--drawing goes with a design, not --geometry");
    m.badTeeFeed = translate(language, "the T match is fed at 200 (a 4:1 balun) or 50 ohms: ");
    m.badVelocity = translate(language, "the velocity factor must lie between 0 and 1: ");
    m.mountingNeedsBoom =
        translate(language, "--mounting insulated or bonded needs --boom-diameter");
    m.matchNeedsAnalysis = translate(language, "--match needs --analyse");
    m.badEngine = translate(language, "the engine must be builtin or nec2c: ");
    m.boomNeedsMounting =
        translate(language, "--boom-diameter needs --mounting insulated or bonded");
    m.largestBelowSmallest = translate(
        language, "the largest taper diameter (--largest) is below the smallest (--smallest)");
    m.onePath = translate(
        language,
        "two outputs (--nec, --plot, --figures-csv, --sweep-csv) cannot write one file: ");
    m.badHeight = translate(
        language,
        "the height must be a number above zero, with m, cm, mm, ft or in (m by default): ");
    m.badGround = translate(language,
                            "the ground must be perfect, poor, average, good, sea, or "
                            "PERMITTIVITY,CONDUCTIVITY (permittivity at least 1, conductivity "
                            "at least 0.000001 S/m; for free space leave out --height): ");
    m.groundNeedsHeight = translate(language, "--ground needs --height");
    m.badSweep = say(language,
                     "the sweep must be a per cent above 0 and at most %1, or F1:F2 in MHz with "
                     "F1 < F2: ",
                     {analysis::shortest(analysis::kMaxSweepSpan * 100)});
    m.badTolerance = translate(language,
                               "the tolerance must be LENGTH[,POSITION], each zero or more, with "
                               "mm, cm or in (mm by default): ");
    m.badSamples = say(language, "the samples must be a whole number from 1 to %1: ",
                       {std::to_string(analysis::kMaxSamples)});
    m.badSeed = translate(language, "the seed must be a whole number of zero or more: ");
    m.samplesNeedTolerance = translate(language, "--samples needs --tolerance");
    m.rodPartsNeedRods =
        translate(language, "--gamma-rod and --gamma-spacing need --match gamma or --match t");
    m.teeFeedNeedsTee = translate(language, "--t-feed needs --match t");
    m.optimiseWithRods =
        translate(language,
                  "--optimise judges the SWR straight into the line, through a hairpin or through "
                  "a coaxial transformer, not through a gamma or T match: optimise without the "
                  "match, then match the optimised antenna");
    m.seedNeedsStudy = translate(language, "--seed needs --tolerance or --optimise");
    m.timeNeedsOptimise = translate(language, "--optimise-time needs --optimise");
    m.optimiseNeedsBuiltin =
        translate(language, "--optimise judges its antennas with the built-in engine, not nec2c");
    m.badOptimiseTime =
        translate(language, "the optimiser's time must be seconds above 0, at most 86400: ");
    m.studyNeedsAnalysis = translate(
        language,
        "--height, --sweep, --tolerance, --measured, --figures-csv and --sweep-csv need --analyse");
    m.measuredNeedsOneMatch = translate(language,
                                        "--measured goes with one match at most: which one does "
                                        "the measured antenna have (--match hairpin or coax)?");
    m.ambiguousOption = translate(language, "ambiguous option: ");
    m.bothToStandardOutput =
        translate(language, "one output at most can go to standard output (-)");
    m.bothFromStandardInput =
        translate(language, "one input at most can come from standard input (-)");
    return m;
}

}  // namespace

const Messages& messagesFor(Language language) {
    static const Messages chinese = messagesIn(Language::Chinese);
    static const Messages english = messagesIn(Language::English);
    return language == Language::English ? english : chinese;
}

}  // namespace zeva::sheet
