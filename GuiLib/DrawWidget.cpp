#include "DrawWidget.h"

#include <QMetaObject>
#include <QPainter>

namespace morvex_gui_qtlib {

DrawWidget::DrawWidget(QWidget* parent, QObject* source) : QWidget(parent), _paths(kSlots) {
    ConnectSource(source, "SignalsDrawDebug(std::vector<int>,std::vector<int>)",
                  SLOT(DrawDebug(std::vector<int>, std::vector<int>)));
    ConnectSource(source,
                  "SignalsDrawNormal(std::vector<std::pair<int,int> >&,boost::dynamic_bitset<>&,"
                  "std::vector<std::pair<int,int> >&,boost::dynamic_bitset<>&)",
                  SLOT(DrawNormal(std::vector<std::pair<int, int> >&, boost::dynamic_bitset<>&,
                                  std::vector<std::pair<int, int> >&, boost::dynamic_bitset<>&)));
    ConnectSource(source, "SignalsDrawRaster(std::vector<std::vector<int> >)",
                  SLOT(DrawRaster(std::vector<std::vector<int> >)));
}

void DrawWidget::ConnectSource(QObject* source, const char* signal, const char* slot) {
    // Sources that lack a signal are simply not connected to it (no warning).
    if (source == nullptr) {
        return;
    }
    const QByteArray normalized = QMetaObject::normalizedSignature(signal);
    if (source->metaObject()->indexOfSignal(normalized.constData()) < 0) {
        return;
    }
    connect(source, QByteArray(QByteArray::number(QSIGNAL_CODE) + normalized).constData(), this,
            slot);
}

void DrawWidget::DrawDebug(const std::vector<int>& xData, const std::vector<int>& yData) {
    if (xData.empty() || yData.empty()) {
        return;
    }
    _xData = xData;
    _yData = yData;
    _mode = kBars;
    repaint();
}

void DrawWidget::DrawNormal(std::vector<std::pair<int, int> >& pos,
                            boost::dynamic_bitset<>& touchings, std::vector<std::pair<int, int> >&,
                            boost::dynamic_bitset<>& lastTouchings) {
    _mode = kTrails;
    const size_t count = std::min({touchings.size(), pos.size(), static_cast<size_t>(kSlots)});
    for (size_t i = 0; i < count; ++i) {
        if (!touchings[i]) {
            continue;
        }
        const QPointF point(pos[i].first, pos[i].second);
        // A finger that was down before continues its trail; a new touch starts one.
        if (i < lastTouchings.size() && lastTouchings[i]) {
            _paths[i].lineTo(point);
        } else {
            _paths[i].moveTo(point);
        }
    }
    update();
}

void DrawWidget::DrawRaster(const std::vector<std::vector<int> >& buffers) {
    _cells.clear();
    _cells.reserve(buffers.size());
    for (const std::vector<int>& row : buffers) {
        std::vector<RasterCell> cells;
        cells.reserve(row.size());
        for (int value : row) {
            cells.push_back(RasterCell::FromValue(value));
        }
        _cells.push_back(std::move(cells));
    }
    _mode = kRaster;
    repaint();
}

void DrawWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    switch (_mode) {
        case kTrails:
            PaintTrails(painter);
            break;
        case kBars:
            PaintBars(painter);
            break;
        case kRaster:
            PaintRaster(painter);
            break;
        default:
            break;
    }
}

void DrawWidget::PaintTrails(QPainter& painter) const {
    static const Qt::GlobalColor kColours[kSlots] = {Qt::red, Qt::blue, Qt::green, Qt::gray,
                                                     Qt::darkMagenta};
    painter.setBrush(Qt::NoBrush);
    for (int i = 0; i < kSlots; ++i) {
        painter.setPen(QPen(QColor(kColours[i]), 2));
        painter.drawPath(_paths[i]);
    }
}

void DrawWidget::PaintBars(QPainter& painter) const {
    const int w = width();
    const int h = height();
    painter.drawLine(w / 2, 0, w / 2, h);
    painter.drawLine(0, h / 2, w, h / 2);
    painter.setPen(QPen(QColor(Qt::green), 3));
    // The Y bars use the X step too, so both halves share one scale.
    const int step = (w / 2 - 10) / static_cast<int>(_xData.size());
    for (size_t i = 0; i < _xData.size(); ++i) {
        const int x = w / 2 - static_cast<int>(i) * step;
        const int y = h / 2 + _xData[i];
        painter.drawLine(x, y, x - step + 4, y);
    }
    for (size_t i = 0; i < _yData.size(); ++i) {
        const int x = w / 2 + static_cast<int>(i) * step;
        const int y = h / 2 + _yData[i];
        painter.drawLine(x, y, x + step - 4, y);
    }
}

void DrawWidget::PaintRaster(QPainter& painter) {
    const int rows = static_cast<int>(_cells.size());
    const int columns = rows > 0 ? static_cast<int>(_cells.front().size()) : 0;
    if (columns > 0) {
        const int w = width();
        const int h = height();
        const int remX = w % columns;
        const int remY = h % rows;
        // A single row or column stays at the margin instead of dividing by zero.
        const int rowStep = rows > 1 ? (h - remY) / (rows - 1) : 0;
        const int cellStep = columns > 1 ? (w - remX) / (columns - 1) : 0;
        for (int r = 0; r < rows; ++r) {
            const std::vector<RasterCell>& row = _cells[r];
            for (size_t c = 0; c < row.size(); ++c) {
                const int x = remX / 2 + static_cast<int>(c) * cellStep;
                const int y = remY / 2 + r * rowStep;
                const int d = static_cast<int>(row[c]._radius);
                if (row[c]._radius == 0.0f) {
                    painter.setBrush(Qt::NoBrush);
                    painter.drawPoint(x, y);
                } else {
                    painter.setBrush(row[c]._color);
                    painter.drawEllipse(QRect(QPoint(x, y), QPoint(x + d - 1, y + d - 1)));
                }
            }
        }
    }
    // A raster is shown once; the next repaint waits for new data.
    _cells.clear();
}

}  // namespace morvex_gui_qtlib
