#pragma once

#include <QGraphicsView>
#include <boost/shared_ptr.hpp>

class QGraphicsTextItem;

namespace morvex_gui_qtlib {

class Scene;

// The drawing area of every main window: owns the current scene object, keeps
// the graphics scene's rectangle equal to its own size and carries verdicts.
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

signals:
    void testResult();
    void testResult(bool pass);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private slots:
    void Update();

private:
    boost::shared_ptr<Scene> _currentScene;
    QGraphicsTextItem* _textItem = nullptr;
};

}  // namespace morvex_gui_qtlib
