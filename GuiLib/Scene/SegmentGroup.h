#pragma once

#include <QGraphicsItem>
#include <QImage>
#include <QPainter>
#include <vector>

class QGraphicsEllipseItem;
class QGraphicsLineItem;

namespace morvex_gui_qtlib {

// The parent of a run of consecutive trail segments, each with an optional
// dot. The view does not paint the run item by item: stroking thousands of
// overlapping, translucent, round-capped segments on every repaint takes far
// longer than a frame. The trail layer asks the group to paint itself
// instead, and the group keeps its run drawn in an image that it draws again
// only after one of its places changed. Its segments are placed in its
// coordinates, which are the scene's.
class SegmentGroup : public QGraphicsItem {
public:
    SegmentGroup();
    ~SegmentGroup() override;

    // Empty: with its segments kept inside it, the view then passes over the
    // group and all of its places at once.
    QRectF boundingRect() const override { return QRectF(); }
    void paint(QPainter*, const QStyleOptionGraphicsItem*, QWidget*) override {}

    // The area the group's shown places cover.
    const QRectF& Reach() const { return _reach; }

    // Makes `line`, and `dot` when given, the group's next place. The group
    // paints them from now on, in the order of their places, each dot under
    // its segment.
    void Hold(QGraphicsLineItem* line, QGraphicsEllipseItem* dot);
    // A held item that was shown over `before` is now shown over `after`
    // (either may be empty): the reach follows.
    void Changed(const QRectF& before, const QRectF& after);
    // Forgets the reach and returns it; the caller has hidden every place.
    QRectF Forget();

    // Paints the shown places with `painter`, from the kept image when the
    // painter maps the scene onto whole device pixels, else those that reach
    // into `area`.
    void PaintOn(QPainter* painter, const QRectF& area);

    // Whether `painter` maps the scene onto whole device pixels at the scale
    // of its device, so an image kept at that scale lands exactly where a
    // direct paint would.
    static bool PaintsOnWholePixels(const QPainter* painter);

private:
    struct Place {
        QGraphicsLineItem* line;
        QGraphicsEllipseItem* dot;
    };

    // The area the shown places cover.
    QRectF ShownArea() const;
    // Draws the shown items of every place that reach into `area`, in order,
    // with `painter`.
    void PaintPlaces(QPainter* painter, const QRectF& area) const;
    // Draws the run again into the kept image; false when it would be too large.
    bool Render(qreal scale, QPainter::RenderHints hints);
    void DropImage();

    std::vector<Place> _places;
    QRectF _reach;
    QImage _image;
    QRect _imageArea;
    bool _imageValid = false;
};

}  // namespace morvex_gui_qtlib
