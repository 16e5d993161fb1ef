#include "ButtonNormalScene.h"

#include <QBrush>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QPen>

#include "ButtonState.h"

namespace morvex_gui_qtlib {

namespace {

constexpr int kBarHeight = 20;
constexpr int kLeftMargin = 50;
// Both margins and all gaps together; the gaps share kGapTotal.
constexpr int kReservedWidth = 148;
constexpr int kGapTotal = 48;

const QColor& IdleColour() {
    static const QColor colour(124, 252, 0, 255);
    return colour;
}

const QColor& PressedColour() {
    static const QColor colour(255, 0, 0, 255);
    return colour;
}

const QPen& BarPen() {
    static const QPen pen(QBrush(Qt::darkGray, Qt::SolidPattern), 1.0, Qt::SolidLine, Qt::SquareCap,
                          Qt::BevelJoin);
    return pen;
}

}  // namespace

ButtonNormalScene::ButtonNormalScene(QGraphicsScene* scene, morvex_gui::ButtonState* state)
    : Scene(scene), _state(state), _pressedCount(0) {
    HoldState(state);
}

ButtonNormalScene::~ButtonNormalScene() = default;

void ButtonNormalScene::Start() {
    Layout(true);
}

void ButtonNormalScene::OnResize() {
    Layout(false);
}

int ButtonNormalScene::ButtonNumber() const {
    return _state != nullptr ? _state->ButtonNumber() : 0;
}

void ButtonNormalScene::Layout(bool create) {
    const int count = ButtonNumber();
    if (count <= 0 || _scene == nullptr) {
        return;
    }
    const qreal width = (_scene->width() - kReservedWidth) / count;
    const int gap = kGapTotal / count;
    const qreal y = _scene->height() * 0.5 - kBarHeight / 2;
    for (int i = 0; i < count; ++i) {
        const QRectF rect(kLeftMargin + i * (width + gap), y, width, kBarHeight);
        if (create) {
            _bars.push_back(_scene->addRect(rect, BarPen(), QBrush(IdleColour())));
        } else if (i < static_cast<int>(_bars.size())) {
            _bars[i]->setRect(rect);
        }
    }
}

void ButtonNormalScene::Update() {
    const int count = ButtonNumber();
    if (count <= 0) {
        // Nothing configured: pressing nothing must not pass the item.
        return;
    }
    if (_pressedCount == count) {
        SendTestResult(true);
        _pressedCount = 0;
    }
    // The buttons in use are the last `count` of the eight slots.
    const int firstSlot = morvex_gui::ButtonState::kMaxButtons - count;
    const std::vector<int>& states = _state->Buttons();
    for (int slot = firstSlot; slot < static_cast<int>(states.size()); ++slot) {
        const int bar = slot - firstSlot;
        if (states[slot] == 1 && bar < static_cast<int>(_bars.size())) {
            MarkPressed(_bars[bar]);
        }
    }
}

void ButtonNormalScene::MarkPressed(QGraphicsRectItem* bar) {
    // A bar that is already red was counted when it turned red.
    if (bar->brush().color() != IdleColour()) {
        return;
    }
    ++_pressedCount;
    bar->setBrush(QBrush(PressedColour()));
}

}  // namespace morvex_gui_qtlib
