#include "ViewFixture.h"

#include <QCoreApplication>
#include <QGraphicsItem>
#include <QGraphicsScene>

using morvex_gui_qtlib::DisplayView;

ViewFixture::ViewFixture(int width, int height) : _view(std::make_unique<DisplayView>()) {
    _verdicts = std::make_unique<QSignalSpy>(_view.get(), qOverload<bool>(&DisplayView::testResult));
    Resize(width, height);
}

QGraphicsScene* ViewFixture::Graphics() const { return _view->scene(); }

std::vector<bool> ViewFixture::VerdictList() const {
    std::vector<bool> list;
    for (const auto& arguments : *_verdicts) {
        list.push_back(arguments.at(0).toBool());
    }
    return list;
}

void ViewFixture::Resize(int width, int height) {
    _view->resize(width, height);
    // Offscreen widgets that are not shown get no resize event; send it by hand.
    if (!_view->isVisible()) {
        _view->show();
    }
    QCoreApplication::processEvents();
}

int ViewFixture::CountItems(int type) const {
    int n = 0;
    for (QGraphicsItem* item : Graphics()->items()) {
        if (item->type() == type) {
            ++n;
        }
    }
    return n;
}
