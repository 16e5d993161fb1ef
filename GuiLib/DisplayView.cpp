#include "DisplayView.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>
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
    _refreshTimer.setSingleShot(true);
    connect(&_refreshTimer, &QTimer::timeout, this, &DisplayView::RepaintNow);
    AddTextItem();
    PaceWindow();
}

DisplayView::~DisplayView() {
    if (_pacedWindow != nullptr) {
        _pacedWindow->removeEventFilter(this);
    }
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

bool DisplayView::event(QEvent* event) {
    if (event->type() == QEvent::ParentChange || event->type() == QEvent::Show) {
        PaceWindow();
    }
    return QGraphicsView::event(event);
}

void DisplayView::PaceWindow() {
    QWidget* shownIn = window();
    if (shownIn == _pacedWindow) {
        return;
    }
    if (_pacedWindow != nullptr) {
        _pacedWindow->removeEventFilter(this);
    }
    _pacedWindow = shownIn;
    _pacedWindow->installEventFilter(this);
}

bool DisplayView::eventFilter(QObject* watched, QEvent* event) {
    // Qt asks a window to paint what changed with an update request and keeps
    // gathering changes until the request is handled; held back, it is sent
    // again when the refresh interval is over.
    if (watched == _pacedWindow && event->type() == QEvent::UpdateRequest && !_refreshing) {
        const bool tooSoon =
            _sinceRefresh.isValid() && _sinceRefresh.elapsed() < kRefreshIntervalMs;
        if (tooSoon) {
            if (!_refreshTimer.isActive()) {
                _refreshTimer.start(kRefreshIntervalMs - static_cast<int>(_sinceRefresh.elapsed()));
            }
            return true;
        }
        _sinceRefresh.start();
    }
    return QGraphicsView::eventFilter(watched, event);
}

void DisplayView::RepaintNow() {
    _refreshTimer.stop();
    if (_pacedWindow == nullptr) {
        return;
    }
    _sinceRefresh.start();
    QEvent request(QEvent::UpdateRequest);
    _refreshing = true;
    QCoreApplication::sendEvent(_pacedWindow, &request);
    _refreshing = false;
}

}  // namespace morvex_gui_qtlib
