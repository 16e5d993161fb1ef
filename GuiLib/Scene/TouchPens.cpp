#include "TouchPens.h"

#include <QBrush>

namespace morvex_gui_qtlib {

QColor TouchPens::SlotColour(int slot) {
    static const QColor colours[] = {QColor(0, 255, 0),    QColor(255, 0, 0),   QColor(0, 0, 255),
                                     QColor(255, 255, 0),  QColor(0, 255, 255), QColor(255, 0, 255),
                                     QColor(150, 150, 0),  QColor(150, 0, 150), QColor(0, 150, 150),
                                     QColor(150, 150, 150)};
    constexpr int count = sizeof colours / sizeof colours[0];
    return colours[((slot % count) + count) % count];
}

QColor TouchPens::WithAlpha(QColor colour, int alpha) {
    colour.setAlpha(alpha);
    return colour;
}

QPen TouchPens::RoundPen(const QColor& colour) {
    return QPen(QBrush(colour), 2, Qt::SolidLine, Qt::RoundCap, Qt::BevelJoin);
}

const QPen& TouchPens::DashedFrame() {
    static const QPen pen(QBrush(Qt::darkGray), 1, Qt::DashDotLine, Qt::SquareCap, Qt::BevelJoin);
    return pen;
}

const QPen& TouchPens::SolidFrame() {
    static const QPen pen(QBrush(Qt::darkGray), 1, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
    return pen;
}

}  // namespace morvex_gui_qtlib
