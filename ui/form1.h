// SPDX-License-Identifier: MIT
// The main window: the inputs of a design, its commands and its 25 result boxes.
// Each handler reads boxes, makes one engine call and writes the texts that come back.
#pragma once

#include <QWidget>

#include <optional>

#include "engine/design.h"
#include "sheet/design_request.h"

class QLineEdit;

namespace zeva::ui {

class Form1 final : public QWidget {
public:
    explicit Form1(QWidget* parent = nullptr);

    [[nodiscard]] const DesignState& design() const { return state_; }

private:
    void chooseMode(ElementMode mode);
    void chooseDiameter(int index);
    void calculate();
    void convertToMetric();
    void print();

    [[nodiscard]] sheet::Design designOf(const std::string& frequency, const std::string& largest,
                                         const std::string& smallest) const;
    void showFigures(const DesignFigures& figures, const char* unit);
    [[nodiscard]] QLineEdit* box(const char* name) const;

    DesignState state_;
    std::optional<ElementMode> mode_;  // none before the first choice
    int diameterRow_ = -1;             // the catalogue entry selected, -1 before the first
    // The inputs of the last successful Calculate, as the design window reads them.
    std::optional<sheet::Design> lastDesign_;
};

}  // namespace zeva::ui
