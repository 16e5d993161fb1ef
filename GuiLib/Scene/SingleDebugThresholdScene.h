#pragma once

#include "SingleDebugScene.h"

class QGraphicsSimpleTextItem;

namespace morvex_gui_qtlib {

// The single-channel display of the threshold modes: on top of the base
// drawing and verdict, "THR:" lines at the threshold (the lower one only in
// mode 7) that colour the marks, and in the sum and peak modes (4, 5) a marker
// of the peak channel with its value.
class SingleDebugThresholdScene : public SingleDebugScene {
public:
    SingleDebugThresholdScene(QGraphicsScene* scene, morvex_gui::SingleRawData* state);

    void Update() override;
    void Layout(bool create) override;

    QGraphicsLineItem* UpperLine() const { return _upperLine; }
    QGraphicsLineItem* LowerLine() const { return _lowerLine; }
    QGraphicsSimpleTextItem* UpperLabel() const { return _upperLabel; }
    QGraphicsSimpleTextItem* LowerLabel() const { return _lowerLabel; }
    QGraphicsSimpleTextItem* PeakLabel() const { return _peakLabel; }
    QGraphicsLineItem* PeakLine() const { return _peakLine; }

private:
    // Height of the threshold lines above (and below) the centre.
    double ThresholdOffset() const;
    bool ShowsPeak() const;
    bool ShowsLowerLine() const;
    void CreateItems(double width, double cy, double offset);
    void PlaceThresholdItems(double width, double cy, double offset);
    void PlacePeak();
    void ColourByThreshold();

    QGraphicsLineItem* _upperLine;
    QGraphicsLineItem* _lowerLine;
    QGraphicsSimpleTextItem* _upperLabel;
    QGraphicsSimpleTextItem* _lowerLabel;
    QGraphicsSimpleTextItem* _peakLabel;
    QGraphicsLineItem* _peakLine;
};

}  // namespace morvex_gui_qtlib
