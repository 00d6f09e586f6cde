// SPDX-License-Identifier: MIT
// The controls of the studies after the analysis: the sweep's range, the antenna over the
// ground at its height, and the build tolerance, which runs when asked for.
#pragma once

#include <QGroupBox>
#include <array>
#include <functional>
#include <optional>
#include <utility>
#include <variant>

#include "analysis/deck.h"
#include "analysis/over_ground.h"
#include "analysis/tolerance.h"
#include "ui/design_session.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zeva::ui {

class StudiesBox final : public QGroupBox {
public:
    explicit StudiesBox(QWidget* parent = nullptr);

    // The studies as the controls say, or a message naming the control that is wrong.
    [[nodiscard]] std::variant<StudyRequest, QString> read() const;
    void setToleranceEnabled(bool enabled);
    // In red below the fields: which one is wrong and why, until it reads.
    void setNote(const QString& note);

    std::function<void()> sweepChanged;      // the sweep's range was changed
    std::function<void()> placementChanged;  // the height or the ground
    std::function<void()> toleranceAsked;    // the tolerance command

private:
    // Every field is kept for the next start, as it is left.
    void restoreSettings();
    void saveSettings() const;
    // The text fields kept, under their keys.
    [[nodiscard]] std::array<std::pair<const char*, QLineEdit*>, 5> keptFields() const;

    QLineEdit* sweep_;
    QCheckBox* overGround_;
    QLineEdit* height_;
    QComboBox* ground_;
    QLineEdit* length_;
    QLineEdit* position_;
    QLineEdit* samples_;
    QPushButton* runTolerance_;
    QLabel* note_;
};

}  // namespace zeva::ui
