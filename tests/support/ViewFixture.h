#pragma once

#include <QSignalSpy>
#include <boost/make_shared.hpp>
#include <memory>

#include "DisplayView.h"
#include "RecordingWindowImp.h"
#include "Scene.h"

// A display view of a fixed size, offscreen, with a spy on its verdict signal,
// for scene tests: build a scene on View().scene(), Start it, SetScene it.
class ViewFixture {
public:
    explicit ViewFixture(int width = 800, int height = 600);

    morvex_gui_qtlib::DisplayView& View() { return *_view; }
    QGraphicsScene* Graphics() const;
    QSignalSpy& Verdicts() { return *_verdicts; }

    // Verdicts seen so far, in order.
    std::vector<bool> VerdictList() const;

    // Creates the scene bound to `state`, starts it and makes it current,
    // as the GUI interface's scene operations do.
    template <typename SceneT, typename... Args>
    boost::shared_ptr<SceneT> Show(Args&&... args) {
        auto scene = boost::make_shared<SceneT>(Graphics(), std::forward<Args>(args)...);
        scene->Start();
        _view->SetScene(scene);
        return scene;
    }

    void Resize(int width, int height);
    // Items of the graphics scene of a given QGraphicsItem type (e.g. QGraphicsEllipseItem::Type).
    int CountItems(int type) const;

private:
    std::unique_ptr<morvex_gui_qtlib::DisplayView> _view;
    std::unique_ptr<QSignalSpy> _verdicts;
};
