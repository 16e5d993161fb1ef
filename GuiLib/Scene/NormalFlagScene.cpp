#include "NormalFlagScene.h"

#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QPen>
#include <algorithm>

#include "CoreNormalFlag.h"
#include "LabelItem.h"
#include "TouchPens.h"

namespace morvex_gui_qtlib {

namespace {

constexpr int kLineAlpha = 100;
constexpr int kDotAlpha = 50;
constexpr double kDotSize = 6.0;

// The legend: five boxes of 60 x 30 every 65 pixels, 35 above the panel's
// bottom edge, drawn above the trails.
constexpr double kBoxPitch = 65.0;
constexpr double kBoxInset = 5.0;
constexpr double kBoxWidth = 60.0;
constexpr double kBoxHeight = 30.0;
constexpr double kBoxRise = 35.0;
constexpr double kLabelInset = 10.0;
constexpr double kLabelRise = 25.0;
constexpr double kBoxZ = 10000.0;
constexpr double kLabelZ = 10001.0;
// The controller's tool shows three spare labels that are never placed.
const char* const kLabelTexts[] = {"noise", "bending", "buffer", "palm", "water", " ", " ", " "};

QPen LinePen(size_t slot) {
    return TouchPens::RoundPen(TouchPens::WithAlpha(TouchPens::SlotColour(slot), kLineAlpha));
}

// The first ten dot colours are the trail colours; the next ten are darker.
QColor DotColour(size_t slot) {
    static const QColor darker[] = {QColor(0, 120, 0),   QColor(120, 0, 0),   QColor(0, 0, 120),
                                    QColor(60, 255, 0),  QColor(0, 60, 255),  QColor(255, 0, 60),
                                    QColor(150, 20, 20), QColor(20, 20, 150), QColor(20, 150, 20),
                                    QColor(20, 60, 120)};
    const size_t index = slot % 20;
    const QColor colour = index < 10 ? TouchPens::SlotColour(index) : darker[index - 10];
    return TouchPens::WithAlpha(colour, kDotAlpha);
}

const QBrush& ClearBrush() {
    static const QBrush brush(QColor(0, 255, 0, 50));
    return brush;
}

const QBrush& SetBrush() {
    static const QBrush brush(QColor(255, 0, 0, 100));
    return brush;
}

}  // namespace

NormalFlagScene::NormalFlagScene(QGraphicsScene* scene, morvex_gui::CoreNormalFlag* state)
    : TouchScene(scene, state), _trails(kTrailLength) {}

NormalFlagScene::~NormalFlagScene() = default;

void NormalFlagScene::Layout(bool create) {
    FitPanel();
    if (create) {
        _frame.clear();
        CreateLegend();
    }
    _geometry.PlaceFrame(_scene, _frame, TouchPens::DashedFrame());
    PlaceLegend();
}

void NormalFlagScene::CreateLegend() {
    _labels.clear();
    _legend.clear();
    for (const char* text : kLabelTexts) {
        _labels.push_back(LabelItem::Add(_scene, QString::fromLatin1(text)));
    }
    for (size_t i = 0; i < morvex_gui::CoreNormalFlag::kConditionCount; ++i) {
        QGraphicsRectItem* box = _scene->addRect(QRectF(), LinePen(0), ClearBrush());
        box->setZValue(kBoxZ);
        _legend.push_back(box);
        _labels[i]->setBrush(QBrush(QColor(255, 0, 0, 255)));
        _labels[i]->setZValue(kLabelZ);
    }
}

void NormalFlagScene::PlaceLegend() {
    const double left = _geometry.Left();
    const double bottom = _geometry.Bottom();
    for (size_t i = 0; i < _legend.size(); ++i) {
        _legend[i]->setRect(left + kBoxPitch * i + kBoxInset, bottom - kBoxRise, kBoxWidth,
                            kBoxHeight);
        _legend[i]->setVisible(_geometry.IsDrawable());
        _labels[i]->setPos(left + kBoxPitch * i + kLabelInset, bottom - kLabelRise);
        _labels[i]->setVisible(_geometry.IsDrawable());
    }
}

void NormalFlagScene::Start() {
    Layout(true);
    std::vector<TrailRings::Style> styles(std::max(0, _state->_maxTouches));
    for (size_t slot = 0; slot < styles.size(); ++slot) {
        styles[slot].line = LinePen(slot);
        styles[slot].dots = true;
        styles[slot].dotPen = TouchPens::RoundPen(DotColour(slot));
        styles[slot].dotBrush = QBrush(DotColour(slot));
    }
    _trails.Create(_scene, styles);
}

void NormalFlagScene::Update() {
    // The state asks for a legend redraw separately from the trails' redraw.
    if (_state->_flagChanged) {
        ShowFlags();
        return;
    }
    if (!_geometry.IsDrawable()) {
        return;
    }
    if (PenContactBegins()) {
        _trails.ClearBelow(kFingerSlots);
    }
    ForEachMovingFinger(_trails.SlotCount(), [this](size_t slot) {
        DrawSegment(slot);
        return true;
    });
}

void NormalFlagScene::ShowFlags() {
    for (size_t i = 0; i < _legend.size(); ++i) {
        const bool set = (_state->_flag >> i) & 1;
        _legend[i]->setBrush(set ? SetBrush() : ClearBrush());
    }
}

void NormalFlagScene::DrawSegment(size_t slot) {
    const QPointF to = MapPosition(slot);
    const QLineF segment(to, MapLastPosition(slot));
    const bool penSlot = slot == kPenTipSlot || slot == kPenEraserSlot;
    // A finger at rest leaves the dot where it was; only a move places it anew.
    if (penSlot || _state->_pos[slot] == _state->_lastPos[slot]) {
        _trails.Draw(slot, segment);
        return;
    }
    const QRectF dot(to.x() - kDotSize / 2, to.y() - kDotSize / 2, kDotSize, kDotSize);
    _trails.Draw(slot, segment, &dot);
}

void NormalFlagScene::Clear() {
    _trails.ClearAll();
}

}  // namespace morvex_gui_qtlib
