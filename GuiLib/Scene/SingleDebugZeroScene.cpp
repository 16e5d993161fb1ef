#include "SingleDebugZeroScene.h"

#include <QBrush>
#include <QGraphicsLineItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QPen>

#include "LabelItem.h"
#include "SegmentItem.h"
#include "SingleRawData.h"

namespace morvex_gui_qtlib {

namespace {

constexpr size_t kMarkers = 5;
constexpr double kLabelShift = 3.0;
constexpr double kLabelRise = 20.0;

const QPen& MarkerPen() {
    static const QPen pen(QBrush(QColor(255, 0, 0, 120), Qt::SolidPattern), 2, Qt::DashDotDotLine,
                          Qt::SquareCap, Qt::BevelJoin);
    return pen;
}

}  // namespace

SingleDebugZeroScene::SingleDebugZeroScene(QGraphicsScene* scene, morvex_gui::SingleRawData* state)
    : SingleDebugScene(scene, state) {}

void SingleDebugZeroScene::Layout(bool create) {
    SingleDebugScene::Layout(create);
    if (!create) {
        return;
    }
    const double height = _scene->sceneRect().height();
    for (size_t k = 0; k < kMarkers; ++k) {
        _markerLines.push_back(SegmentItem::Add(_scene, QLineF(0, 0, 0, height), MarkerPen()));
        QGraphicsSimpleTextItem* label = LabelItem::Add(_scene, QStringLiteral(" "));
        label->setBrush(QBrush(Qt::darkGreen, Qt::SolidPattern));
        _markerLabels.push_back(label);
    }
}

// A crossing: the previous value negative, this one not, and the jump between
// them greater than the threshold.
void SingleDebugZeroScene::FindCrossings() {
    const std::vector<int>& values = _state->GetValues();
    const size_t count = ValueCount();
    const long long threshold = _state->GetThreshold();
    _crossings.assign(count, 0);
    for (size_t i = 1; i < count; ++i) {
        const long long jump = static_cast<long long>(values[i]) - values[i - 1];
        _crossings[i] = values[i - 1] < 0 && values[i] >= 0 && jump > threshold ? 1 : 0;
    }
}

void SingleDebugZeroScene::Update() {
    FindCrossings();
    SingleDebugScene::Update();
    PlaceMarkers();
}

void SingleDebugZeroScene::PlaceMarkers() {
    const double height = _bars.Height();
    size_t k = 0;
    for (size_t i = 0; i < _crossings.size() && k < _markerLines.size(); ++i) {
        if (_crossings[i] != 1) {
            continue;
        }
        const double x = _bars.MarkLeft(i);
        _markerLines[k]->setVisible(true);
        _markerLabels[k]->setVisible(true);
        _markerLabels[k]->setText(QString::number(i));
        _markerLabels[k]->setPos(x + kLabelShift, height - kLabelRise);
        _markerLines[k]->setLine(x, 0, x, height);
        ++k;
    }
    for (; k < _markerLines.size(); ++k) {
        _markerLines[k]->setVisible(false);
        _markerLabels[k]->setVisible(false);
    }
}

}  // namespace morvex_gui_qtlib
