#pragma once

#include <QGraphicsItem>
#include <QImage>
#include <QPainter>
#include <vector>

namespace morvex_gui_qtlib {

class SegmentGroup;

// Paints the trail rings of a scene, in the place of their groups and
// segments, which the view passes over. What the groups show is kept in one
// image of the scene's size, so a repaint of the view costs one copy however
// full the rings are; a change redraws only its own area of that image, from
// the groups' own kept images, in the groups' order.
class TrailLayer : public QGraphicsItem {
public:
    TrailLayer();

    QRectF boundingRect() const override { return _area; }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

    // Adds `group` above the groups added before.
    void Add(SegmentGroup* group) { _groups.push_back(group); }
    // What a group shows changed within `area`: it is drawn again and repainted.
    void Invalidate(const QRectF& area);

private:
    // Follows the scene's rectangle; a new one redraws everything.
    void FollowSceneRect();
    // Gives the kept image the scene's size at `scale`; false when it is empty.
    bool FitImage(qreal scale);
    // Draws the changed areas of the kept image again.
    void Redraw(QPainter::RenderHints hints);
    // The changed areas, overlapping ones joined: fewer, simpler copies.
    std::vector<QRect> JoinedChanges() const;
    // Makes `area` of the kept image transparent.
    void Erase(const QRect& area);
    void PaintGroups(QPainter* painter, const QRectF& area) const;

    std::vector<SegmentGroup*> _groups;
    QRectF _area;
    QImage _image;
    std::vector<QRect> _changed;
};

}  // namespace morvex_gui_qtlib
