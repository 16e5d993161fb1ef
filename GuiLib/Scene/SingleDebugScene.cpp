#include "SingleDebugScene.h"

#include <QBrush>
#include <QGraphicsLineItem>
#include <QGraphicsScene>
#include <QPen>
#include <algorithm>

#include "SegmentItem.h"
#include "SingleRawData.h"

namespace morvex_gui_qtlib {

namespace {

constexpr int kButtonRawdataRecord = 0;

const QPen& AxisPen() {
    static const QPen pen(QBrush(Qt::white, Qt::SolidPattern), 1, Qt::DashDotLine, Qt::SquareCap,
                          Qt::BevelJoin);
    return pen;
}

}  // namespace

SingleDebugScene::SingleDebugScene(QGraphicsScene* scene, morvex_gui::SingleRawData* state)
    : Scene(scene), _bars(scene), _state(state), _axis(nullptr), _failed(false), _reported(false) {
    HoldState(state);
}

size_t SingleDebugScene::ValueCount() const {
    return std::min(static_cast<size_t>(std::max(_state->GetCount(), 0)),
                    _state->GetValues().size());
}

void SingleDebugScene::Layout(bool create) {
    const QRectF rect = _scene->sceneRect();
    const double cy = rect.height() * 0.5;
    if (create) {
        _axis = SegmentItem::Add(_scene, QLineF(0, cy, rect.width(), cy), AxisPen());
    } else if (_axis != nullptr) {
        _axis->setLine(0, cy, rect.width(), cy);
    }
}

void SingleDebugScene::OnResize() {
    Layout(false);
}

void SingleDebugScene::Start() {
    Layout(true);
    _bars.Measure(_state->GetCount());
    if (_bars.HasRoom(_state->GetCount())) {
        _bars.Create(_state->GetValues(), _state->GetCount());
    }
}

void SingleDebugScene::Update() {
    _bars.Measure(_state->GetCount());
    const std::vector<int>& values = _state->GetValues();
    const size_t count = ValueCount();
    for (size_t i = 0; i < count; ++i) {
        const bool fail =
            values[i] > _state->GetBRawdataMax() || values[i] < _state->GetBRawdataMin();
        _failed = _failed || fail;
        _bars.Show(i, values[i], fail, _extraDisplay);
    }
    if (_failed && !_reported) {
        _state->logResult("Fail", kButtonRawdataRecord);
        SendTestResult(false);
        _reported = true;
    }
}

}  // namespace morvex_gui_qtlib
