// SPDX-License-Identifier: MIT
// The output library's drawings painted by Qt.
#pragma once

#include <QRectF>

#include "sheet/render.h"

class QPainter;

namespace zeva::ui {

// The drawing scaled to fit the area, its proportions kept, from the area's top left.
void paintDrawing(QPainter& painter, const QRectF& area, const sheet::Drawing& drawing);

}  // namespace zeva::ui
