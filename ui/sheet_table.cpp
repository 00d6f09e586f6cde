// SPDX-License-Identifier: MIT
#include "ui/sheet_table.h"
#include "ui/language.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <set>

namespace zeva::ui {

void CutSheetModel::setSheet(const sheet::CutSheet* sheet) {
    beginResetModel();
    sheet_ = sheet;
    headings_ = sheet != nullptr ? sheet::sheetHeadings(*sheet) : std::vector<std::string>{};
    columns_ =
        sheet != nullptr ? sheet::sheetColumns(*sheet) : std::vector<const sheet::SheetColumn*>{};
    endResetModel();
}

int CutSheetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || sheet_ == nullptr ? 0 : static_cast<int>(sheet_->elements.size());
}

int CutSheetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(headings_.size());
}

QVariant CutSheetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || sheet_ == nullptr) return {};
    if (role == Qt::TextAlignmentRole) {
        // Names and tape readings read from the left, figures from the right.
        const bool text = columns_[static_cast<std::size_t>(index.column())]->text;
        return text ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                    : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole) return {};
    const auto& element = sheet_->elements[static_cast<std::size_t>(index.row())];
    return QString::fromStdString(
        sheet::sheetCells(element)[static_cast<std::size_t>(index.column())]);
}

QVariant CutSheetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    return QString::fromStdString(headings_[static_cast<std::size_t>(section)]);
}

void SheetTable::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        copySelection();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void SheetTable::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(uiText("&Copy"), QKeySequence::Copy, this, [this] { copySelection(); });
    menu.addAction(uiText("Select &all"), QKeySequence::SelectAll, this, [this] { selectAll(); });
    menu.exec(event->globalPos());
}

void SheetTable::copySelection() {
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    if (selected.isEmpty()) return;
    std::set<int> rows;
    std::set<int> columns;
    for (const QModelIndex& index : selected) {
        rows.insert(index.row());
        columns.insert(index.column());
    }
    QStringList lines;
    QStringList heading;
    for (const int column : columns) {
        heading << model()->headerData(column, Qt::Horizontal).toString();
    }
    lines << heading.join('\t');
    for (const int row : rows) {
        QStringList cells;
        for (const int column : columns) {
            const QModelIndex index = model()->index(row, column);
            cells << (selectionModel()->isSelected(index) ? index.data().toString() : QString());
        }
        lines << cells.join('\t');
    }
    QApplication::clipboard()->setText(lines.join('\n') + '\n');
}

void tabulate(QStandardItemModel& model, const std::vector<std::vector<std::string>>& rows) {
    model.clear();
    if (rows.empty()) return;
    QStringList headings;
    for (const std::string& heading : rows.front()) headings << QString::fromStdString(heading);
    model.setHorizontalHeaderLabels(headings);
    for (std::size_t r = 1; r < rows.size(); ++r) {
        QList<QStandardItem*> items;
        for (const std::string& cell : rows[r]) {
            auto* item = new QStandardItem(QString::fromStdString(cell));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            items << item;
        }
        model.appendRow(items);
    }
}

}  // namespace zeva::ui
