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

    EXPECT_EQ(RasterCell::FromValue(-10)._radius, 0.0f);
    EXPECT_EQ(RasterCell::FromValue(400)._color.red(), 255);
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

    // A single row of a single cell, and bars narrower than a pixel each,
    // must not divide by zero.
    widget.DrawRaster({{50}});
    Render(widget);
    widget.DrawRaster({{}});
    Render(widget);
    emit source.SignalsDrawDebug({1, 2}, {});
    EXPECT_EQ(widget.GetMode(), DrawWidget::kRaster) << "bars need both halves";
    emit source.SignalsDrawDebug(std::vector<int>(300, 5), {3});
    EXPECT_EQ(widget.GetMode(), DrawWidget::kBars);
    Render(widget);
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
