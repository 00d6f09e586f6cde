// SPDX-License-Identifier: MIT
// What the command line says about a mistake in it, in each language, from the catalogue.
// Internal to cli/.
#pragma once

#include <string>

#include "analysis/message.h"

namespace zeva::sheet {

using analysis::Language;

struct Messages {
    const char* unknownOption;
    const char* missingValue;
    const char* badMode;
    const char* badDiameter;
    const char* badFormat;
    const char* badLanguage;
    const char* noFrequency;
    const char* noDiameter;
    const char* unexpected;
    const char* plotNeedsAnalysis;
    const char* notPositive;
    const char* geometryAndDesign;
    const char* badTimeLimit;
    const char* badMounting;
    const char* badLength;
    const char* badMatch;
    const char* badTeeFeed;
    const char* badVelocity;
    const char* mountingNeedsBoom;
    const char* matchNeedsAnalysis;
    const char* badEngine;
    const char* boomNeedsMounting;
    const char* largestBelowSmallest;
    const char* onePath;
    const char* badHeight;
    const char* badGround;
    const char* groundNeedsHeight;
    std::string badSweep;
    const char* badTolerance;
    std::string badSamples;
    const char* badSeed;
    const char* samplesNeedTolerance;
    const char* rodPartsNeedRods;
    const char* teeFeedNeedsTee;
    const char* optimiseWithRods;
    const char* studyNeedsAnalysis;
    const char* measuredNeedsOneMatch;
    const char* ambiguousOption;
    const char* bothToStandardOutput;
    const char* bothFromStandardInput;
    const char* emptyPath;
    const char* seedNeedsStudy;
    const char* timeNeedsOptimise;
    const char* optimiseNeedsBuiltin;
    const char* badOptimiseTime;
    const char* badSections;
    const char* badStock;
    const char* tubePartsNeedSections;
    const char* sectionsNeedDesign;
    const char* drawingNeedsDesign;
};

const Messages& messagesFor(Language language);

}  // namespace zeva::sheet
