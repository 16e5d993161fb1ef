#pragma once

#include <QPointF>
#include <vector>

#include "Scene.h"

class QGraphicsPixmapItem;

namespace morvex_gui {
class PictureView;
}

namespace morvex_gui_qtlib {

// Shows one of five built-in test pictures in the middle of the display; the
// bound state's swipes page through them and its pinches zoom the shown one.
class PictureScene : public Scene {
public:
    static constexpr int kPictureCount = 5;
    static constexpr int kLastPicture = kPictureCount - 1;
    static constexpr double kBaseScale = 0.3;
    // Half the extent of a picture at the base scale; pictures are 880 x 1280.
    static constexpr double kHalfWidth = kBaseScale * 880 * 0.5;
    static constexpr double kHalfHeight = kBaseScale * 1280 * 0.5;

    PictureScene(QGraphicsScene* scene, morvex_gui::PictureView* state);
    ~PictureScene() override;

    void Start() override;
    void Update() override;
    void Clear() override;
    void OnResize() override;
    void Layout(bool create) override;

    int Current() const { return _current; }
    const std::vector<QGraphicsPixmapItem*>& Pictures() const { return _pictures; }

private:
    QPointF Centre() const;
    void LoadPictures();
    // Every picture centred at the base scale and hidden, then the current shown.
    void ShowCurrentUnzoomed();

    morvex_gui::PictureView* _state;
    std::vector<QGraphicsPixmapItem*> _pictures;
    int _current;
};

}  // namespace morvex_gui_qtlib
