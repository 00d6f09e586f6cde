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
    const char* sideBySide;
    const char* above;
    const char* segments;
    const char* perWavelength;
    const char* sweep;
    const char* sweepHeadings[6];
    const char* colon;
    const char* ohms;
    const char* below;
    const char* comma;
    const char* semicolon;
    const char* swrShort;
    const char* worstInSweep;  // "worst within %1", the sweep's range
    const char* trim;
    const char* hairpin;
    const char* drivenShortened;
    const char* stub;
    const char* shunt;
    const char* coax;
    const char* onInsulators;
    const char* boomCorrection;
    const char* bonded;
    const char* insulated;
    const char* drivenThrough;
    const char* drivenApart;
    const char* modelledAsDesigned;
    bool english;
    Language language;
};

const Labels& labelsFor(Language language);

}  // namespace zeva::sheet
