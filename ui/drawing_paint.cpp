// SPDX-License-Identifier: MIT
// A drawing of the output library's shapes, painted by Qt: the workshop drawing in the window
// and in the report, as the SVG draws it.
#include "ui/drawing_paint.h"

#include <QPainter>
#include <QPen>
#include <algorithm>

#include "ui/plots.h"

namespace zeva::ui {
namespace {

QColor colourOf(std::uint32_t rgb) {
    return QColor(static_cast<int>((rgb >> 16) & 0xff), static_cast<int>((rgb >> 8) & 0xff),
                  static_cast<int>(rgb & 0xff));
}

}  // namespace

void paintDrawing(QPainter& painter, const QRectF& area, const sheet::Drawing& drawing) {
    if (drawing.width <= 0 || drawing.height <= 0) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    // The whole drawing within the area, its proportions kept, from the top left.
    const double scale = std::min(area.width() / drawing.width, area.height() / drawing.height);
    painter.translate(area.topLeft());
    painter.scale(scale, scale);
    painter.fillRect(QRectF(0, 0, drawing.width, drawing.height), Qt::white);
    QFont font = painter.font();
    for (const sheet::Shape& shape : drawing.shapes) {
        switch (shape.kind) {
            case sheet::ShapeKind::Line: {
                QPen pen(colourOf(shape.stroke), shape.size);
                if (shape.dashed) pen.setDashPattern({3, 3});
                painter.setPen(pen);
                painter.drawLine(QPointF(shape.x, shape.y), QPointF(shape.x2, shape.y2));
                break;
            }
            case sheet::ShapeKind::Rect:
                painter.setPen(QPen(colourOf(shape.stroke), 1));
                painter.setBrush(colourOf(shape.fill));
                painter.drawRect(QRectF(QPointF(shape.x, shape.y), QPointF(shape.x2, shape.y2)));
                painter.setBrush(Qt::NoBrush);
                break;
            case sheet::ShapeKind::Text: {
                font.setPixelSize(static_cast<int>(shape.size));
                painter.setFont(font);
                painter.setPen(colourOf(shape.stroke));
                const QString text = QString::fromStdString(shape.text);
                const double width = painter.fontMetrics().horizontalAdvance(text);
                const double shift = shape.anchor == sheet::Anchor::Middle ? width / 2
                                     : shape.anchor == sheet::Anchor::End  ? width
                                                                           : 0;
                // The anchor sits on the text's baseline, as in SVG.
                painter.save();
                painter.translate(shape.x, shape.y);
                painter.rotate(shape.rotation);
                painter.drawText(QPointF(-shift, 0), text);
                painter.restore();
                break;
            }
        }
    }
    painter.restore();
}

}  // namespace zeva::ui
