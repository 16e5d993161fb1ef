#pragma once

#include <boost/shared_ptr.hpp>

class QGraphicsScene;

namespace morvex_gui {
class State;
}

namespace morvex_gui_qtlib {

class DisplayView;

// Base of every test mode's drawing. Not a QObject: it places items in the one
// QGraphicsScene the display view owns. The base draws nothing.
class Scene {
public:
    explicit Scene(QGraphicsScene* scene);
    virtual ~Scene();

    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    virtual void Start();
    virtual void Update();
    virtual void Clear();
    virtual void OnResize();
    virtual void Layout(bool create);

    // True for scenes that change most of their items on every frame: the view
    // then repaints the rectangle round a frame's changes instead of merging
    // every changed item into an exact region, which costs more than it saves.
    virtual bool RedrawsWholeFrames() const { return false; }

    void SetExtraDisplay(bool show) { _extraDisplay = show; }
    bool GetExtraDisplay() const { return _extraDisplay; }

protected:
    // Keeps the bound state alive while this scene is current (a mode switch
    // may release the state from the device's holders before the view drops
    // the scene). A state not held by a shared pointer is simply not kept.
    void HoldState(morvex_gui::State* state);

    // The view that shows _scene, or null when none does.
    DisplayView* View() const;
    // Hands a verdict to the view; without a view it does nothing.
    void SendTestResult(bool pass) const;

    QGraphicsScene* _scene;
    bool _extraDisplay;

private:
    boost::shared_ptr<morvex_gui::State> _heldState;
};

}  // namespace morvex_gui_qtlib
