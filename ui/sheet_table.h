// SPDX-License-Identifier: MIT
// The cut sheet as the design window shows it: a table model of the sheet's columns, and a
// table view that copies its selection as a spreadsheet reads a paste.
#pragma once

#include <QAbstractTableModel>
#include <QStandardItemModel>
#include <QTableView>
#include <string>
#include <vector>

#include "sheet/columns.h"

namespace zeva::ui {

// Every element of the sheet a row, the sheet's columns as zeva-sheet prints them.
class CutSheetModel final : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setSheet(const sheet::CutSheet* sheet);
    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;

private:
    const sheet::CutSheet* sheet_ = nullptr;
    std::vector<const sheet::SheetColumn*> columns_;
    std::vector<std::string> headings_;
};

// Ctrl+C copies the selected cells as tab-separated text with a heading row, as spreadsheets
// read a paste; Ctrl+A selects the whole table first. The context menu offers both.
class SheetTable final : public QTableView {
public:
    using QTableView::QTableView;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void copySelection();
};

// A table of figures into the model: the first row the headings, the cells right-aligned.
void tabulate(QStandardItemModel& model, const std::vector<std::vector<std::string>>& rows);

}  // namespace zeva::ui
