// SPDX-License-Identifier: MIT
// The texts of the text report in each language: its titles, headings and figure labels.
// Internal to the output library.
#pragma once

#include <string>

#include "analysis/message.h"

namespace zeva::sheet {

using analysis::Language;

struct Labels {
    const char* title;
    const char* geometryTitle;
    const char* mode[4];
    const char* frequency;
    const char* diameter;
    const char* taper;
    const char* inches;
    const char* geometryHeadings[4];
    const char* boom;
    const char* gain;
    const char* frontToBack;
    const char* frontToRear;
    const char* impedance;
    std::string swr;
    const char* beamwidth;
    const char* sidelobe;
    const char* stacking;
    const char* segments;
    const char* averageGain;
    const char* sweepEnds;
    const char* sweep;
    const char* sweepHeadings[6];
    const char* colon;
    const char* ohms;
    const char* worstInSweep;  // "worst within %1", the sweep's range
    const char* trim;
    const char* hairpin;
    const char* coax;
    const char* gamma;
    const char* tee;
    const char* capacitor;
    const char* onInsulators;
    const char* bonded;
    const char* insulated;
    const char* drivenThrough;
    const char* drivenApart;
    Language language;
};

const Labels& labelsFor(Language language);

}  // namespace zeva::sheet
