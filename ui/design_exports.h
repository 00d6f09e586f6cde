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
    {Export::Csv, "exportCsv", "保存下料表 CSV…", "CSV 表格 (*.csv)", ".csv"},
    {Export::Json, "exportJson", "保存 JSON…", "JSON 文件 (*.json)", ".json"},
    {Export::FiguresCsv, "exportFiguresCsv", "保存结果 CSV…", "CSV 表格 (*.csv)", "-结果.csv"},
    {Export::SweepCsv, "exportSweepCsv", "保存扫描 CSV…", "CSV 表格 (*.csv)", "-扫描.csv"},
    {Export::Deck, "exportDeck", "保存 NEC-2 模型…", "NEC-2 模型 (*.nec)", ".nec"},
    {Export::Pattern, "exportPattern", "保存方向图 SVG…", "SVG 图形 (*.svg)", ".svg"},
    {Export::Pdf, "exportPdf", "保存 PDF 报告…", "PDF 文档 (*.pdf)", ".pdf"},
};

// The choosers the tests set; empty, the dialogs ask.
SaveFileChooser& fileChooser();
SaveFileChooser& openChooser();

// A file dialog in Chinese whatever the process's locale (its dates and sizes follow the
// dialog's locale); the name proposed where one is given. Empty when cancelled.
QString askForFile(QWidget* parent, const QString& title, const QString& filter,
                   const QString& proposed, bool save);

}  // namespace zeva::ui
