#include "Scene.h"

#include <QGraphicsScene>
#include <QGraphicsView>

#include "DisplayView.h"
#include "State.h"

namespace morvex_gui_qtlib {

Scene::Scene(QGraphicsScene* scene) : _scene(scene), _extraDisplay(true) {}

Scene::~Scene() = default;

void Scene::Start() {}
void Scene::Update() {}
void Scene::Clear() {}
void Scene::OnResize() {}
void Scene::Layout(bool) {}

void Scene::HoldState(morvex_gui::State* state) {
    if (state != nullptr) {
        _heldState = state->weak_from_this().lock();
    }
}

DisplayView* Scene::View() const {
    if (_scene == nullptr) {
        return nullptr;
    }
    const QList<QGraphicsView*> views = _scene->views();
    return views.isEmpty() ? nullptr : qobject_cast<DisplayView*>(views.first());
}

void Scene::SendTestResult(bool pass) const {
    if (DisplayView* view = View()) {
        view->sendTestResult(pass);
    }
}

}  // namespace morvex_gui_qtlib
