// The main window: the inputs of a design, its commands and its 25 result boxes.
// Each handler reads boxes, makes one engine call and writes the texts that come back.
#pragma once

#include <QWidget>

#include "engine/design.h"

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

    void showFigures(const DesignFigures& figures, const char* unit);
    [[nodiscard]] QLineEdit* box(const char* name) const;

    DesignState state_;
    int diameterRow_ = -1;  // the catalogue entry selected, -1 before the first
};

}  // namespace zeva::ui
