#pragma once

#include <vector>

#include "Scene.h"

class QGraphicsRectItem;

namespace morvex_gui {
class ButtonState;
}

namespace morvex_gui_qtlib {

// The button test: one bar per configured button across the middle of the
// view, lawn green until the button is pressed, then red. The update after the
// last bar turned red passes the item. With no buttons configured it never
// passes, so the item's countdown fails it.
class ButtonNormalScene : public Scene {
public:
    ButtonNormalScene(QGraphicsScene* scene, morvex_gui::ButtonState* state);
    ~ButtonNormalScene() override;

    void Start() override;
    void Update() override;
    void OnResize() override;
    void Layout(bool create) override;

    const std::vector<QGraphicsRectItem*>& Bars() const { return _bars; }
    int PressedCount() const { return _pressedCount; }

private:
    int ButtonNumber() const;
    void MarkPressed(QGraphicsRectItem* bar);

    morvex_gui::ButtonState* _state;
    std::vector<QGraphicsRectItem*> _bars;
    int _pressedCount;
};

}  // namespace morvex_gui_qtlib
