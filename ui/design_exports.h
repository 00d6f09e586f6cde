// SPDX-License-Identifier: MIT
// The design window's exports: the commands, their file dialogs (replaceable for tests) and
// the files they write. Internal to ui/.
#pragma once

#include <QString>

#include "ui/design_window.h"

namespace zeva::ui {

struct ExportCommand {
    Export kind;
    const char* name;     // object name
    const char* caption;  // on the button
    const char* filter;   // for the file dialog
    const char* ending;   // of the proposed file name, after the design
};
inline constexpr ExportCommand kExports[] = {
    {Export::Csv, "exportCsv", N_("Sheet CSV…"), N_("CSV tables (*.csv)"), ".csv"},
    {Export::Json, "exportJson", N_("JSON…"), N_("JSON files (*.json)"), ".json"},
    {Export::FiguresCsv, "exportFiguresCsv", N_("Figures CSV…"), N_("CSV tables (*.csv)"),
     N_("-figures.csv")},
    {Export::SweepCsv, "exportSweepCsv", N_("Sweep CSV…"), N_("CSV tables (*.csv)"),
     N_("-sweep.csv")},
    {Export::Deck, "exportDeck", N_("NEC-2 deck…"), N_("NEC-2 decks (*.nec)"), ".nec"},
    {Export::Pattern, "exportPattern", N_("Patterns SVG…"), N_("SVG pictures (*.svg)"), ".svg"},
    {Export::Pdf, "exportPdf", N_("PDF report…"), N_("PDF documents (*.pdf)"), ".pdf"},
};

// The choosers the tests set; empty, the dialogs ask.
SaveFileChooser& fileChooser();
SaveFileChooser& openChooser();

// A file dialog in the windows' language whatever the process's locale (its dates and sizes follow
// the dialog's locale); the name proposed where one is given. Empty when cancelled.
QString askForFile(QWidget* parent, const QString& title, const QString& filter,
                   const QString& proposed, bool save);

}  // namespace zeva::ui
