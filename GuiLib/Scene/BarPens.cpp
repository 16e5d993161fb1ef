#include "BarPens.h"

namespace morvex_gui_qtlib {

QPen BarPens::Mark(const QColor& colour) {
    return QPen(QBrush(colour, Qt::SolidPattern), 6, Qt::SolidLine, Qt::RoundCap, Qt::BevelJoin);
}

const QPen& BarPens::Pass() {
    static const QPen pen = Mark(QColor(0, 255, 0, 160));
    return pen;
}

const QPen& BarPens::Fail() {
    static const QPen pen = Mark(QColor(255, 0, 0, 120));
    return pen;
}

const QBrush& BarPens::Label() {
    static const QBrush brush(Qt::green, Qt::SolidPattern);
    return brush;
}

}  // namespace morvex_gui_qtlib
