#pragma once

#include <QGraphicsItem>

namespace morvex_gui_qtlib {

// The parent of a run of consecutive trail segments. It paints nothing; it
// keeps the area its segments have reached, so a repaint of another part of
// the view passes over the whole run instead of testing each of its segments,
// and the scene's change pass visits only runs that changed. Its segments are
// placed in its coordinates, which are the scene's.
class SegmentGroup : public QGraphicsItem {
public:
    SegmentGroup();

    QRectF boundingRect() const override { return _reach; }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

    // Widens the reach to hold `area`, the bounding rectangle of a segment
    // about to be shown. The reach never shrinks while a segment may still
    // be on screen: the view repaints a segment only within it.
    void Cover(const QRectF& area);
    // Repaints the reach and forgets it; the caller has hidden every segment.
    void Forget();

private:
    void SetReach(const QRectF& reach);

    QRectF _reach;
};

}  // namespace morvex_gui_qtlib
