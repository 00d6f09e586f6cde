// SPDX-License-Identifier: MIT
// The design window's report on paper: the cut sheet on the first page, the analysis'
// figures and plots on the second, on A4 or the printer's paper. The same pages go to a PDF file
// and to the printer.
#pragma once

#include <QByteArray>
#include <QPageSize>
#include <QString>
#include <QStringList>

#include "analysis/analyser.h"
#include "analysis/optimiser.h"
#include "analysis/over_ground.h"
#include "analysis/rod_advice.h"
#include "analysis/tolerance.h"
#include "analysis/trim_advice.h"
#include "analysis/tuner.h"
#include "sheet/cut_sheet.h"

class QPagedPaintDevice;

namespace zeva::ui {

struct ReportContent {
    const sheet::CutSheet& sheet;
    const analysis::Analysis* analysis;  // none while running, or where it failed
    const analysis::Tuning* tuning;      // the trim and matches, once found
    QString analysisNote;                // what stands instead of the figures then
    QPageSize page = QPageSize(QPageSize::A4);
    // The studies the window shows, each where it was made.
    const analysis::OverGround* overGround = nullptr;
    const analysis::Tolerance* tolerance = nullptr;
    const analysis::Measurement* measurement = nullptr;
    const analysis::TrimAdvice* advice = nullptr;
    const analysis::RodAdvice* rodAdvice = nullptr;  // through a gamma or T match
    // The optimiser's search for this design, where one was made.
    const analysis::Optimisation* optimisation = nullptr;
};

// The studies' figures, one "label: text" a line, as the window and the report give them:
// over the ground, the tolerance, the measurement and its trim, or through a gamma or T match
// (`balanced` for a T) the strap's move and the capacitor's.
QStringList studyLines(const analysis::OverGround* overGround, const analysis::Tolerance* tolerance,
                       const analysis::TrimAdvice* advice,
                       const analysis::RodAdvice* rodAdvice = nullptr, bool balanced = false);

// "天线杆长度：37.4851 英尺，1142.570 厘米", as the window and the report give it.
QString boomLengthText(const sheet::CutSheet& sheet);

// False where the device cannot be painted on.
bool paintReport(QPagedPaintDevice& device, const ReportContent& content);

// The report as a PDF document; empty where it could not be made.
QByteArray reportPdf(const ReportContent& content);

}  // namespace zeva::ui
