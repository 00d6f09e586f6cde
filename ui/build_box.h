// SPDX-License-Identifier: MIT
// The design window's road from design to antenna: how the elements are mounted on the boom
// and the 50-ohm match, with the note that names a wrong control and the lengths the tuning
// gives. The controls are kept between runs of the program.
#pragma once

#include <QGroupBox>
#include <functional>

#include "sheet/design_request.h"
#include "ui/design_session.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace zeva::ui {

class BuildBox final : public QGroupBox {
public:
    explicit BuildBox(QWidget* parent = nullptr);

    // The construction and the match as the controls say, into the request; a message naming
    // the control that is wrong, or the check both front ends make.
    [[nodiscard]] QString read(sheet::DesignRequest& request) const;
    [[nodiscard]] MatchChoice match() const;

    void setNote(const QString& note);  // in red: what is wrong
    void setResults(const QString& results);

    std::function<void()> constructionChanged;  // the mounting or the boom: the sheet follows
    std::function<void()> matchChanged;         // the match or its parts: the tuning again

private:
    void restoreSettings();
    void saveSettings() const;

    QComboBox* mounting_;
    QLineEdit* boomDiameter_;
    QCheckBox* drivenThrough_;
    QComboBox* match_;
    QLineEdit* hairpinWire_;
    QLineEdit* hairpinSpacing_;
    QLineEdit* velocity_;
    QLineEdit* rodDiameter_;  // empty: a builder's usual for the element
    QLineEdit* rodSpacing_;
    QLineEdit* tubes_;  // empty: solid elements
    QComboBox* series_;
    QLineEdit* overlap_;
    QLabel* note_;
    QLabel* results_;  // the lengths to cut, the line's length and the SWR of the tuning
};

}  // namespace zeva::ui
