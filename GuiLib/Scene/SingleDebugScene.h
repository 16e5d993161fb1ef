#pragma once

#include "Scene.h"
#include "ValueBars.h"

class QGraphicsLineItem;

namespace morvex_gui {
class SingleRawData;
}

namespace morvex_gui_qtlib {

// One line of single raw data as a row of marks, judged against the button
// raw-data limits ("b_rawdata_max", "b_rawdata_min"). The first failure writes
// the "Button Rawdata" record with "Fail" and is reported once.
class SingleDebugScene : public Scene {
public:
    SingleDebugScene(QGraphicsScene* scene, morvex_gui::SingleRawData* state);

    void Start() override;
    void Update() override;
    bool RedrawsWholeFrames() const override { return true; }
    void OnResize() override;
    void Layout(bool create) override;

    const ValueBars& Bars() const { return _bars; }

protected:
    // Values of the line that the scene reads (the count, clipped to the line).
    size_t ValueCount() const;

    ValueBars _bars;
    morvex_gui::SingleRawData* _state;

private:
    QGraphicsLineItem* _axis;
    bool _failed;
    bool _reported;
};

}  // namespace morvex_gui_qtlib
