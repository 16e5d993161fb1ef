#pragma once

#include "Scene.h"
#include "ValueBars.h"

class QGraphicsLineItem;

namespace morvex_gui {
class SingleRawData;
}

namespace morvex_gui_qtlib {

// The reference-data (single raw) test's display: one mark per value with a
// threshold line across. A value below the threshold fails. The first redraw
// gives the verdict of its line once ("Single Raw" record and testResult);
// later lines are only drawn and coloured.
class ReferenceDataScene : public Scene {
public:
    ReferenceDataScene(QGraphicsScene* scene, morvex_gui::SingleRawData* state);

    void Start() override;
    void Update() override;
    bool RedrawsWholeFrames() const override { return true; }
    void OnResize() override;
    void Layout(bool create) override;

    const ValueBars& Bars() const { return _bars; }
    QGraphicsLineItem* ThresholdLine() const { return _thresholdLine; }

protected:
    // Which record the verdict is written to, and which threshold judges.
    ReferenceDataScene(QGraphicsScene* scene, morvex_gui::SingleRawData* state, int recordType);
    virtual int Threshold() const;
    const morvex_gui::SingleRawData& BoundState() const { return *_state; }

private:
    ValueBars _bars;
    morvex_gui::SingleRawData* _state;
    QGraphicsLineItem* _thresholdLine;
    int _recordType;
    bool _failed;
    bool _pending;
};

}  // namespace morvex_gui_qtlib
