#include "PictureScene.h"

#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QPixmap>
#include <QtDebug>
#include <algorithm>

#include "PictureView.h"

namespace morvex_gui_qtlib {

PictureScene::PictureScene(QGraphicsScene* scene, morvex_gui::PictureView* state)
    : Scene(scene), _state(state), _current(kLastPicture) {
    HoldState(state);
}

PictureScene::~PictureScene() = default;

void PictureScene::Start() {
    Layout(true);
}

void PictureScene::Clear() {}

void PictureScene::OnResize() {
    Layout(false);
}

void PictureScene::Layout(bool create) {
    if (create) {
        LoadPictures();
    }
    ShowCurrentUnzoomed();
}

QPointF PictureScene::Centre() const {
    const QRectF rect = _scene->sceneRect();
    return QPointF(rect.width() * 0.5, rect.height() * 0.5);
}

void PictureScene::LoadPictures() {
    _pictures.clear();
    for (int i = 1; i <= kPictureCount; ++i) {
        const QString path = QStringLiteral(":/Drovanel/Resources/P%1.jpg").arg(i);
        const QPixmap picture(path);
        if (picture.isNull()) {
            qWarning("Test picture %s could not be loaded", qPrintable(path));
        }
        _pictures.push_back(_scene->addPixmap(picture));
    }
}

void PictureScene::ShowCurrentUnzoomed() {
    const QPointF topLeft = Centre() - QPointF(kHalfWidth, kHalfHeight);
    for (QGraphicsPixmapItem* picture : _pictures) {
        picture->setScale(kBaseScale);
        picture->setPos(topLeft);
        picture->setVisible(false);
    }
    if (_current >= 0 && _current < static_cast<int>(_pictures.size())) {
        _pictures[_current]->setVisible(true);
    }
}

void PictureScene::Update() {
    if (_pictures.empty()) {
        return;
    }
    if (_state->IsSwipe()) {
        const int step = _state->GetSwipeForward() ? 1 : -1;
        _current = std::clamp(_current + step, 0, kLastPicture);
        // Paging also undoes any zoom.
        ShowCurrentUnzoomed();
        return;
    }
    const double scale = _state->GetScale();
    QGraphicsPixmapItem* picture = _pictures[_current];
    picture->setScale(scale * kBaseScale);
    picture->setPos(Centre() - QPointF(scale * kHalfWidth, scale * kHalfHeight));
}

}  // namespace morvex_gui_qtlib
