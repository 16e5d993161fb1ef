#pragma once

#include <QGraphicsSimpleTextItem>

class QGraphicsScene;

namespace morvex_gui_qtlib {

// A simple text item that paints its one-line text from laid-out glyphs kept
// for every text and font it has seen, instead of laying the text out again
// on each repaint. Scenes repaint hundreds of number labels a frame, and the
// numbers repeat.
class LabelItem : public QGraphicsSimpleTextItem {
public:
    explicit LabelItem(const QString& text = QString(), QGraphicsItem* parent = nullptr);

    // Adds a label to `scene`, as QGraphicsScene::addSimpleText does.
    static LabelItem* Add(QGraphicsScene* scene, const QString& text);

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;
};

}  // namespace morvex_gui_qtlib
