#include "ReferenceDataScene.h"

#include <QBrush>
#include <QGraphicsLineItem>
#include <QGraphicsScene>
#include <QPen>
#include <algorithm>

#include "SegmentItem.h"
#include "SingleRawData.h"

namespace morvex_gui_qtlib {

namespace {

constexpr int kSingleRawRecord = 1;

const QPen& LinePen() {
    static const QPen pen(QBrush(Qt::white, Qt::SolidPattern), 1, Qt::DashDotLine, Qt::SquareCap,
                          Qt::BevelJoin);
    return pen;
}

}  // namespace

ReferenceDataScene::ReferenceDataScene(QGraphicsScene* scene, morvex_gui::SingleRawData* state)
    : ReferenceDataScene(scene, state, kSingleRawRecord) {}

ReferenceDataScene::ReferenceDataScene(QGraphicsScene* scene, morvex_gui::SingleRawData* state,
                                       int recordType)
    : Scene(scene),
      _bars(scene),
      _state(state),
      _thresholdLine(nullptr),
      _recordType(recordType),
      _failed(false),
      _pending(true) {
    HoldState(state);
}

int ReferenceDataScene::Threshold() const {
    return _state->GetThreshold();
}

void ReferenceDataScene::Layout(bool create) {
    const QRectF rect = _scene->sceneRect();
    const double y = rect.height() * 0.5 - Threshold() / 2;
    if (create) {
        _thresholdLine = SegmentItem::Add(_scene, QLineF(0, y, rect.width(), y), LinePen());
    } else if (_thresholdLine != nullptr) {
        _thresholdLine->setLine(0, y, rect.width(), y);
    }
}

void ReferenceDataScene::OnResize() {
    Layout(false);
}

void ReferenceDataScene::Start() {
    Layout(true);
    _bars.Measure(_state->GetCount());
    if (_bars.HasRoom(_state->GetCount())) {
        _bars.Create(_state->GetValues(), _state->GetCount());
    }
}

void ReferenceDataScene::Update() {
    const std::vector<int>& values = _state->GetValues();
    const int threshold = Threshold();
    _bars.Measure(_state->GetCount());
    const size_t count =
        std::min(static_cast<size_t>(std::max(_state->GetCount(), 0)), values.size());
    for (size_t i = 0; i < count; ++i) {
        const bool below = values[i] < threshold;
        _failed = _failed || below;
        _bars.Show(i, values[i], below, _extraDisplay);
    }
    if (_pending) {
        _state->logResult(_failed ? "Fail" : "Pass", _recordType);
        _pending = false;
        SendTestResult(!_failed);
    }
}

}  // namespace morvex_gui_qtlib
