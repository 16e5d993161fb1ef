#include <gtest/gtest.h>

#include <QImage>

#include "CheckBox.h"
#include "DrawWidget.h"

using morvex_gui_qtlib::CheckBox;
using morvex_gui_qtlib::DrawWidget;
using morvex_gui_qtlib::RasterCell;

namespace {

// A source with the drawing signals the widget looks for.
class DrawSource : public QObject {
    Q_OBJECT
signals:
    void SignalsDrawDebug(const std::vector<int>& xData, const std::vector<int>& yData);
    void SignalsDrawRaster(const std::vector<std::vector<int> >& buffers);
    void SignalsDrawNormal(std::vector<std::pair<int, int> >& pos,
                           boost::dynamic_bitset<>& touchings,
                           std::vector<std::pair<int, int> >& lastPos,
                           boost::dynamic_bitset<>& lastTouchings);
};

QImage Render(DrawWidget& widget) {
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    widget.render(&image);
    return image;
}

TEST(DrawWidgetTest, RasterCellsGrowOutsideTheDeadBand) {
    const RasterCell hot = RasterCell::FromValue(30);
    EXPECT_NEAR(hot._radius, 1.6f, 1e-5f);
    EXPECT_EQ(hot._color, QColor(23, 3, 0));

    const RasterCell cold = RasterCell::FromValue(-30);
    EXPECT_NEAR(cold._radius, 0.1f, 1e-5f);
    EXPECT_EQ(cold._color, QColor(0, 1, 7));

    for (int quiet : {10, -10, 0}) {
        EXPECT_EQ(RasterCell::FromValue(quiet)._radius, 0.0f);
        EXPECT_EQ(RasterCell::FromValue(quiet)._color, QColor(0, 0, 0));
    }
    EXPECT_EQ(RasterCell::FromValue(400)._color.red(), 255);
}

TEST(DrawWidgetTest, DebugBarsNeedBothHalves) {
    DrawWidget widget(nullptr, nullptr);
    widget.DrawDebug({1, 2}, {});
    EXPECT_EQ(widget.GetMode(), DrawWidget::kNothing);
    widget.resize(40, 40);  // narrower than the channels: the step goes to 0
    widget.DrawDebug(std::vector<int>(30, 5), {3});
    EXPECT_EQ(widget.GetMode(), DrawWidget::kBars);
    Render(widget);
}

TEST(DrawWidgetTest, ANewTouchStartsATrailAndAHeldOneContinuesIt) {
    DrawWidget widget(nullptr, nullptr);
    std::vector<std::pair<int, int> > pos{{10, 10}, {20, 20}};
    boost::dynamic_bitset<> down(2);
    boost::dynamic_bitset<> before(2);
    down.set(0);
    widget.DrawNormal(pos, down, pos, before);
    pos[0] = {15, 12};
    before.set(0);
    down.set(1);  // slot 1 touches for the first time
    widget.DrawNormal(pos, down, pos, before);

    const QPainterPath& trail = widget.GetPaths()[0];
    ASSERT_EQ(trail.elementCount(), 2);
    EXPECT_TRUE(trail.elementAt(0).isMoveTo());
    EXPECT_TRUE(trail.elementAt(1).isLineTo());
    EXPECT_EQ(QPointF(trail.elementAt(1)), QPointF(15, 12));
    ASSERT_EQ(widget.GetPaths()[1].elementCount(), 1);
    EXPECT_TRUE(widget.GetPaths()[1].elementAt(0).isMoveTo());

    // More touch bits than positions: the extra slots are ignored.
    boost::dynamic_bitset<> many(5);
    many.set();
    widget.DrawNormal(pos, many, pos, many);
    EXPECT_EQ(widget.GetPaths()[4].elementCount(), 0);
    EXPECT_EQ(widget.GetMode(), DrawWidget::kTrails);
}

TEST(DrawWidgetTest, ARasterIsPaintedOnceFromTheSourcesSignal) {
    DrawSource source;
    DrawWidget widget(nullptr, &source);
    widget.resize(100, 80);
    emit source.SignalsDrawRaster({{200, 0, -40}, {40, 12}});
    EXPECT_EQ(widget.GetMode(), DrawWidget::kRaster);
    EXPECT_EQ(widget.GetCells().size(), 2u);

    const QImage image = Render(widget);
    EXPECT_TRUE(widget.GetCells().empty());
    // The first cell is a 15-pixel disc in the top left corner, filled in its colour.
    EXPECT_EQ(image.pixelColor(7, 7), QColor(255, 198, 0));

    // A single row of a single cell must not divide by zero.
    widget.DrawRaster({{50}});
    Render(widget);
    widget.DrawRaster({{}});
    Render(widget);
}

TEST(DrawWidgetTest, TouchAndDebugSignalsOfTheSourceReachTheWidget) {
    DrawSource source;
    DrawWidget widget(nullptr, &source);
    std::vector<std::pair<int, int> > pos{{3, 4}};
    boost::dynamic_bitset<> down(1, 1);
    boost::dynamic_bitset<> up(1);
    emit source.SignalsDrawNormal(pos, down, pos, up);
    EXPECT_EQ(widget.GetMode(), DrawWidget::kTrails);
    EXPECT_EQ(widget.GetPaths()[0].elementCount(), 1);
    emit source.SignalsDrawDebug({1}, {2});
    EXPECT_EQ(widget.GetMode(), DrawWidget::kBars);
}

TEST(DrawWidgetTest, ACheckBoxClickNeverLeavesItPartlyChecked) {
    CheckBox box(QStringLiteral("Save"));
    box.setTristate(true);
    box.setCheckState(Qt::PartiallyChecked);
    box.click();
    EXPECT_NE(box.checkState(), Qt::PartiallyChecked);
    box.click();
    box.click();
    EXPECT_NE(box.checkState(), Qt::PartiallyChecked);
}

}  // namespace

#include "DrawWidgetTest.moc"
