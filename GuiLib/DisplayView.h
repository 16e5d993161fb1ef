#pragma once

#include <QElapsedTimer>
#include <QGraphicsView>
#include <QPointer>
#include <QTimer>
#include <boost/shared_ptr.hpp>

class QGraphicsTextItem;

namespace morvex_gui_qtlib {

class Scene;

// The drawing area of every main window: owns the current scene object, keeps
// the graphics scene's rectangle equal to its own size and carries verdicts.
//
// It also paces the paints of its window to the screen's refresh: replies
// arrive every few milliseconds and each would repaint the window, while a
// screen shows a frame every refresh interval. A paint asked for sooner than
// that after the last one waits until the interval is over; Qt keeps
// gathering every change meanwhile, so the waiting paint covers them all.
class DisplayView : public QGraphicsView {
    Q_OBJECT
public:
    explicit DisplayView(QWidget* parent = nullptr);
    ~DisplayView() override;

    void SetScene(boost::shared_ptr<Scene> scene);
    boost::shared_ptr<Scene> GetScene() const { return _currentScene; }
    void AddTextItem();
    QGraphicsTextItem* TextItem() const { return _textItem; }
    void sendTestResult(bool pass);

    // True while a paint of the window waits for the next refresh.
    bool RepaintPending() const { return _refreshTimer.isActive(); }
    // Paints what waits at once, as the next refresh would.
    void RepaintNow();

    static constexpr int kRefreshIntervalMs = 16;  // a 60 Hz screen

signals:
    void testResult();
    void testResult(bool pass);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void Update();

private:
    // Follows the view into the window it is shown in.
    void PaceWindow();

    boost::shared_ptr<Scene> _currentScene;
    QGraphicsTextItem* _textItem = nullptr;
    QPointer<QWidget> _pacedWindow;
    QElapsedTimer _sinceRefresh;
    QTimer _refreshTimer;
    bool _refreshing = false;
};

}  // namespace morvex_gui_qtlib
