#pragma once

#include <QPainterPath>
#include <QWidget>
#include <boost/dynamic_bitset.hpp>
#include <utility>
#include <vector>

#include "RasterCell.h"

namespace morvex_gui_qtlib {

// Paints touch trails, raw-data bars or a raster of circles straight onto the
// widget, fed through its three slots.
class DrawWidget : public QWidget {
    Q_OBJECT
public:
    enum Mode { kNothing = 0, kTrails = 1, kBars = 2, kRaster = 3 };
    static constexpr int kSlots = 5;

    // Connects the source's drawing signals, where it has them, to the slots
    // of the same names without the "Signals" prefix.
    DrawWidget(QWidget* parent, QObject* source);

    int GetMode() const { return _mode; }
    const std::vector<QPainterPath>& GetPaths() const { return _paths; }
    const std::vector<std::vector<RasterCell> >& GetCells() const { return _cells; }

public slots:
    void DrawDebug(const std::vector<int>& xData, const std::vector<int>& yData);
    void DrawNormal(std::vector<std::pair<int, int> >& pos, boost::dynamic_bitset<>& touchings,
                    std::vector<std::pair<int, int> >& lastPos,
                    boost::dynamic_bitset<>& lastTouchings);
    void DrawRaster(const std::vector<std::vector<int> >& buffers);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void ConnectSource(QObject* source, const char* signal, const char* slot);
    void PaintTrails(QPainter& painter) const;
    void PaintBars(QPainter& painter) const;
    void PaintRaster(QPainter& painter);

    std::vector<int> _xData;
    std::vector<int> _yData;
    std::vector<QPainterPath> _paths;
    std::vector<std::vector<RasterCell> > _cells;
    int _mode = kNothing;
};

}  // namespace morvex_gui_qtlib
