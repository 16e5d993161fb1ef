#pragma once

#include "CoreRaster.h"

namespace morvex_gui {

// A raster frame judged by the lift scene: the mode (0 lift, 1 lift X, 2 lift Y,
// 3 and 4 active edge) picks the limits, read when the first frame is complete,
// and the scene operation.
class TuneMultiFingerLift : public CoreRaster {
public:
    TuneMultiFingerLift(WindowImp* imp, int mode);
    ~TuneMultiFingerLift() override;

    void Update() override;
    void ChangeState() override;

    int GetThresholdMax() const { return _threshold_max; }
    int GetThresholdMin() const { return _threshold_min; }
    int GetThresholdEdgeMax() const { return _threshold_edge_max; }
    int GetThresholdEdgeMin() const { return _threshold_edge_min; }
    int GetThresholdEdgeCounter() const { return _threshold_edge_counter; }
    int GetActiveLEdgeCounter() const { return _active_l_edge_counter; }
    int GetActiveREdgeCounter() const { return _active_r_edge_counter; }
    int GetActiveUEdgeCounter() const { return _active_u_edge_counter; }
    int GetActiveDEdgeCounter() const { return _active_d_edge_counter; }

private:
    bool IsActiveMode() const { return _mode == 3 || _mode == 4; }
    void ReadLimits();
    void ReadActiveCounters();
    void StartScene();

    int _threshold_max;
    int _threshold_min;
    int _threshold_edge_max;
    int _threshold_edge_min;
    int _threshold_edge_counter;
    int _active_l_edge_counter;
    int _active_r_edge_counter;
    int _active_u_edge_counter;
    int _active_d_edge_counter;
};

}  // namespace morvex_gui
