#include "DisplayView.h"

#include <QCloseEvent>
#include <QFont>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QResizeEvent>

#include "Scene.h"

namespace morvex_gui_qtlib {

namespace {
constexpr int kCaptionPointSize = 18;
}

DisplayView::DisplayView(QWidget* parent) : QGraphicsView(parent) {
    setFrameStyle(0);
    auto* graphics = new QGraphicsScene(this);
    graphics->setBackgroundBrush(QColor(64, 64, 64, 255));
    setScene(graphics);
    // Scenes move and recolour their items on every frame, and the touch
    // trails keep thousands of hidden items in one corner: a spatial index
    // would be rebuilt for each move and costs more than it saves. Painting
    // still stacks the items by z-value, then by insertion.
    graphics->setItemIndexMethod(QGraphicsScene::NoIndex);
    // Every item of the scenes sets the pen, brush and font it paints with, so
    // the view need not save and restore the painter around each of them.
    setOptimizationFlag(QGraphicsView::DontSavePainterState);
    AddTextItem();
}

DisplayView::~DisplayView() {
    // The scene object may still reference items; drop it before the items go.
    _currentScene.reset();
}

void DisplayView::SetScene(boost::shared_ptr<Scene> scene) {
    // Swap first, release after: the old scene's destructor then runs with the
    // new scene already current.
    boost::shared_ptr<Scene> previous = std::move(_currentScene);
    _currentScene = std::move(scene);
    const bool wholeFrames = _currentScene && _currentScene->RedrawsWholeFrames();
    setViewportUpdateMode(wholeFrames ? QGraphicsView::BoundingRectViewportUpdate
                                      : QGraphicsView::MinimalViewportUpdate);
    previous.reset();
}

void DisplayView::AddTextItem() {
    QFont font;
    font.setPointSize(kCaptionPointSize);
    _textItem = scene()->addText(QString(), font);
}

void DisplayView::sendTestResult(bool pass) {
    emit testResult(pass);
}

void DisplayView::resizeEvent(QResizeEvent* event) {
    QGraphicsView::resizeEvent(event);
    const int w = width();
    const int h = height();
    if (w == 0 || h == 0) {
        return;
    }
    scene()->setSceneRect(0, 0, w, h);
    if (_currentScene) {
        _currentScene->OnResize();
    }
}

void DisplayView::closeEvent(QCloseEvent* event) {
    if (isFullScreen()) {
        event->ignore();
        return;
    }
    QGraphicsView::closeEvent(event);
}

void DisplayView::Update() {
    viewport()->update();
}

}  // namespace morvex_gui_qtlib
