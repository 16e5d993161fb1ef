#include "ValueBars.h"
#include "BarPens.h"
#include "LabelItem.h"
#include "SceneItems.h"
#include "SegmentItem.h"

#include <QBrush>
#include <QGraphicsLineItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QPen>
#include <algorithm>

namespace morvex_gui_qtlib {

namespace {

constexpr double kMargin = 20.0;
constexpr double kMinimumStep = 4.0;
// Within a cell of width step starting at i * step: the mark runs from 16 to
// step + 6, its label starts at 17, 20 above the mark.
constexpr double kMarkStart = 16.0;
constexpr double kMarkEnd = 6.0;
constexpr double kLabelStart = 17.0;
constexpr double kLabelRise = 20.0;

}  // namespace

ValueBars::ValueBars(QGraphicsScene* scene)
    : _scene(scene), _width(0), _height(0), _cy(0), _step(0) {}

void ValueBars::Measure(int count) {
    const QRectF rect = _scene->sceneRect();
    _width = rect.width();
    _height = rect.height();
    _cy = _height * 0.5;
    _step = count > 0 ? (_width - kMargin) / count : 0.0;
}

bool ValueBars::HasRoom(int count) const {
    return count > 0 && _step > kMinimumStep;
}

double ValueBars::MarkLeft(size_t index) const {
    return static_cast<double>(index) * _step + kMarkStart;
}

void ValueBars::Create(const std::vector<int>& values, int count) {
    _bars.clear();
    _labels.clear();
    const size_t n = std::min(static_cast<size_t>(std::max(count, 0)), values.size());
    for (size_t i = 0; i < n; ++i) {
        const double y = _cy - values[i] / 2;
        const double left = static_cast<double>(i) * _step;
        QGraphicsSimpleTextItem* label = LabelItem::Add(_scene, QString::number(i));
        label->setPos(left + kLabelStart, y - kLabelRise);
        label->setBrush(BarPens::Label());
        _labels.push_back(label);
        _bars.push_back(SegmentItem::Add(
            _scene, QLineF(left + kMarkStart, y, left + _step + kMarkEnd, y), BarPens::Pass()));
    }
}

void ValueBars::Show(size_t index, int value, bool failed, bool showValue) {
    if (index >= _bars.size()) {
        return;
    }
    const double y = _cy - value * 0.5;
    const double left = static_cast<double>(index) * _step;
    Colour(index, failed);
    _bars[index]->setLine(left + kMarkStart, y, left + _step + kMarkEnd, y);
    QGraphicsSimpleTextItem* label = _labels[index];
    if (showValue) {
        label->setText(QString::number(value));
        label->setPos(left + kLabelStart, y - kLabelRise);
    }
    label->setVisible(showValue);
}

void ValueBars::Colour(size_t index, bool failed) {
    if (index < _bars.size()) {
        _bars[index]->setPen(failed ? BarPens::Fail() : BarPens::Pass());
    }
}

QGraphicsLineItem* ValueBars::Bar(size_t index) const {
    return ItemAt(_bars, index);
}

QGraphicsSimpleTextItem* ValueBars::Label(size_t index) const {
    return ItemAt(_labels, index);
}

}  // namespace morvex_gui_qtlib
