#include "ChannelBars.h"

#include <QBrush>
#include <QGraphicsLineItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QPen>
#include <algorithm>

#include "BarPens.h"
#include "LabelItem.h"
#include "OperationLog.h"
#include "RawData.h"
#include "SceneItems.h"
#include "SegmentItem.h"
#include "WindowImp.h"

namespace morvex_gui_qtlib {

namespace {

// A cell narrower than this leaves no room for a mark.
constexpr double kMinimumStep = 4.0;
constexpr double kMargin = 10.0;
constexpr double kMarkGap = 4.0;
// Redrawn marks keep this much more room from the cell's inner edge.
constexpr double kRedrawInset = 6.0;
constexpr double kLabelRise = 20.0;

const QPen& AxisPen() {
    static const QPen pen(QBrush(Qt::white, Qt::SolidPattern), 1, Qt::DashDotLine, Qt::SquareCap,
                          Qt::BevelJoin);
    return pen;
}

const QPen& LimitPen() {
    static const QPen pen(QBrush(Qt::lightGray, Qt::SolidPattern), 2, Qt::SolidLine, Qt::RoundCap,
                          Qt::BevelJoin);
    return pen;
}

const std::vector<int>& Values(const morvex_gui::RawData& state, ChannelBars::Axis axis) {
    return axis == ChannelBars::kXAxis ? state.GetXData() : state.GetYData();
}

int StoredCount(const morvex_gui::RawData& state, ChannelBars::Axis axis) {
    return axis == ChannelBars::kXAxis ? state.GetXCount() : state.GetYCount();
}

// Rows of the threshold table: upper then lower limit of the axis.
size_t UpperRow(ChannelBars::Axis axis) {
    return axis == ChannelBars::kXAxis ? 0 : 2;
}

const char* AxisName(ChannelBars::Axis axis) {
    return axis == ChannelBars::kXAxis ? "X" : "Y";
}

}  // namespace

ChannelBars::ChannelBars(QGraphicsScene* scene)
    : _scene(scene),
      _vAxis(nullptr),
      _hAxis(nullptr),
      _width(0),
      _height(0),
      _cx(0),
      _cy(0),
      _step(0),
      _missingLimitLogged(false) {}

void ChannelBars::Measure(const morvex_gui::RawData& state) {
    const QRectF rect = _scene->sceneRect();
    _width = rect.width();
    _height = rect.height();
    _cx = _width * 0.5;
    _cy = _height * 0.5;
    const size_t n = std::max(state.GetXData().size(), state.GetYData().size());
    _step = n == 0 ? 0.0 : (_width * 0.5 - kMargin) / static_cast<double>(n);
}

double ChannelBars::CellEdge(Axis axis, double cells) const {
    return _cx + Direction(axis) * cells * _step;
}

void ChannelBars::Layout(const morvex_gui::RawData& state, bool create) {
    Measure(state);
    LayoutAxes(create);
    LayoutLimits(state, kXAxis, create);
    LayoutLimits(state, kYAxis, create);
}

void ChannelBars::LayoutAxes(bool create) {
    if (create) {
        _hAxis = SegmentItem::Add(_scene, QLineF(0, _cy, _width, _cy), AxisPen());
        _vAxis = SegmentItem::Add(_scene, QLineF(_cx, 0, _cx, _height), AxisPen());
        return;
    }
    if (_hAxis != nullptr) {
        _hAxis->setLine(0, _cy, _width, _cy);
        _vAxis->setLine(_cx, 0, _cx, _height);
    }
}

void ChannelBars::LayoutLimits(const morvex_gui::RawData& state, Axis axis, bool create) {
    Side& side = _sides[axis];
    const size_t upperRow = UpperRow(axis);
    for (int i = 0; i < StoredCount(state, axis); ++i) {
        const size_t channel = static_cast<size_t>(i);
        int upper = 0;
        int lower = 0;
        const bool hasUpper = state.GetLimit(upperRow, channel, upper);
        const bool hasLower = state.GetLimit(upperRow + 1, channel, lower);
        PlaceLimit(side, 2 * channel, channel, axis, hasUpper, upper, create);
        PlaceLimit(side, 2 * channel + 1, channel, axis, hasLower, lower, create);
    }
}

void ChannelBars::PlaceLimit(Side& side, size_t index, size_t channel, Axis axis, bool present,
                             int limit, bool create) {
    const double y = _cy - limit / 2;
    const double x1 = CellEdge(axis, static_cast<double>(channel));
    const double x2 = CellEdge(axis, static_cast<double>(channel + 1)) - Direction(axis) * kMarkGap;
    QGraphicsLineItem* line = nullptr;
    if (create) {
        line = SegmentItem::Add(_scene, QLineF(x1, y, x2, y), LimitPen());
        side.limitLines.push_back(line);
    } else if (index < side.limitLines.size()) {
        line = side.limitLines[index];
        line->setLine(x1, y, x2, y);
    }
    if (line != nullptr) {
        // A channel without this limit in the table has nothing to show.
        line->setVisible(present);
    }
}

void ChannelBars::Start(const morvex_gui::RawData& state) {
    for (Side& side : _sides) {
        side.bars.clear();
        side.labels.clear();
    }
    Layout(state, true);
    if (_step <= kMinimumStep) {
        return;
    }
    CreateBars(state, kXAxis);
    CreateBars(state, kYAxis);
}

void ChannelBars::CreateBars(const morvex_gui::RawData& state, Axis axis) {
    Side& side = _sides[axis];
    const double direction = Direction(axis);
    const size_t count = ChannelCount(state, axis);
    const std::vector<int>& values = Values(state, axis);
    for (size_t i = 0; i < count; ++i) {
        const double y = _cy - values[i] / 2;
        const double cell = static_cast<double>(i);
        side.bars.push_back(SegmentItem::Add(
            _scene,
            QLineF(CellEdge(axis, cell), y, CellEdge(axis, cell + 1) - direction * kMarkGap, y),
            BarPens::Pass()));
        QGraphicsSimpleTextItem* label = LabelItem::Add(_scene, QString::number(i));
        label->setPos(CellEdge(axis, cell + 0.5) - direction * kMarkGap, y - kLabelRise);
        label->setBrush(BarPens::Label());
        side.labels.push_back(label);
    }
}

size_t ChannelBars::ChannelCount(const morvex_gui::RawData& state, Axis axis) {
    const int stored = StoredCount(state, axis);
    return stored <= 0 ? 0 : std::min(static_cast<size_t>(stored), Values(state, axis).size());
}

double ChannelBars::Reading(const morvex_gui::RawData& state, Axis axis, size_t channel) {
    const double value = Values(state, axis)[channel];
    const morvex_gui::WindowImp* imp = state.GetImp();
    if (imp == nullptr) {
        return value;
    }
    const std::vector<int>& reference = axis == kXAxis ? imp->_xReference : imp->_yReference;
    return channel < reference.size() ? value - reference[channel] : value;
}

bool ChannelBars::IsOutsideLimits(const morvex_gui::RawData& state, Axis axis, size_t channel,
                                  double reading) {
    int upper = 0;
    int lower = 0;
    const size_t upperRow = UpperRow(axis);
    if (!state.GetLimit(upperRow, channel, upper) ||
        !state.GetLimit(upperRow + 1, channel, lower)) {
        if (!_missingLimitLogged) {
            _missingLimitLogged = true;
            LOG4CPLUS_WARN(OperationLogger(), "The threshold table has no limits for "
                                                  << AxisName(axis) << " channel " << channel
                                                  << "; such channels fail");
        }
        return true;
    }
    return reading > upper || reading < lower;
}

void ChannelBars::ShowChannel(Axis axis, size_t channel, double reading, bool failed,
                              bool showLabel) {
    Side& side = _sides[axis];
    if (channel >= side.bars.size()) {
        return;
    }
    const double direction = Direction(axis);
    const double cell = static_cast<double>(channel);
    const double y = _cy - reading * 0.5;
    QGraphicsLineItem* bar = side.bars[channel];
    bar->setPen(failed ? BarPens::Fail() : BarPens::Pass());
    bar->setLine(CellEdge(axis, cell) + direction * kRedrawInset, y,
                 CellEdge(axis, cell + 1) - direction * kMarkGap, y);
    QGraphicsSimpleTextItem* label = side.labels[channel];
    if (showLabel) {
        label->setPos(CellEdge(axis, cell + 0.5) - direction * kMarkGap, y - kLabelRise);
    }
    label->setVisible(showLabel);
}

QGraphicsLineItem* ChannelBars::Bar(Axis axis, size_t channel) const {
    return ItemAt(_sides[axis].bars, channel);
}

QGraphicsSimpleTextItem* ChannelBars::Label(Axis axis, size_t channel) const {
    return ItemAt(_sides[axis].labels, channel);
}

QGraphicsLineItem* ChannelBars::LimitLine(Axis axis, size_t index) const {
    return ItemAt(_sides[axis].limitLines, index);
}

}  // namespace morvex_gui_qtlib
