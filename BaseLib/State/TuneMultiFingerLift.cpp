#include "TuneMultiFingerLift.h"

#include "WindowImp.h"

namespace morvex_gui {

namespace {

// Setting keys of one lift mode's limits, in the order of the members they fill.
struct LimitKeys {
    const char* max;
    const char* min;
    const char* edgeMax;
    const char* edgeMin;
    const char* edgeCounter;
};

const LimitKeys& KeysForMode(int mode) {
    static const LimitKeys liftX = {"raster_x_max", "raster_x_min", "raster_x_edge_max",
                                    "raster_x_edge_min", "raster_x_edge_counter"};
    static const LimitKeys liftY = {"raster_y_max", "raster_y_min", "raster_y_edge_max",
                                    "raster_y_edge_min", "raster_y_edge_counter"};
    // The plain lift test shares the edge band of the X test.
    static const LimitKeys lift = {"raster_max", "raster_min", "raster_x_edge_max",
                                   "raster_x_edge_min", "raster_x_edge_counter"};
    switch (mode) {
        case 1:
            return liftX;
        case 2:
            return liftY;
        default:
            return lift;
    }
}

}  // namespace

TuneMultiFingerLift::TuneMultiFingerLift(WindowImp* imp, int mode)
    : CoreRaster(imp, mode),
      _threshold_max(0),
      _threshold_min(0),
      _threshold_edge_max(0),
      _threshold_edge_min(0),
      _threshold_edge_counter(0),
      _active_l_edge_counter(0),
      _active_r_edge_counter(0),
      _active_u_edge_counter(0),
      _active_d_edge_counter(0) {}

TuneMultiFingerLift::~TuneMultiFingerLift() = default;

void TuneMultiFingerLift::ChangeState() {
    if (!ParseFrame()) {
        return;
    }
    // No record and no timer here: the device started the countdown at the switch.
    State::ChangeState();
    if (IsActiveMode()) {
        ReadActiveCounters();
    } else {
        ReadLimits();
    }
    StartScene();
}

void TuneMultiFingerLift::Update() {
    ShowLine(ParseFrame());
}

void TuneMultiFingerLift::ReadLimits() {
    const LimitKeys& keys = KeysForMode(_mode);
    _threshold_max = SettingValue(keys.max);
    _threshold_min = SettingValue(keys.min);
    _threshold_edge_max = SettingValue(keys.edgeMax);
    _threshold_edge_min = SettingValue(keys.edgeMin);
    _threshold_edge_counter = SettingValue(keys.edgeCounter);
}

void TuneMultiFingerLift::ReadActiveCounters() {
    _active_l_edge_counter = SettingValue("active_l_edge_counter");
    _active_r_edge_counter = SettingValue("active_r_edge_counter");
    _active_u_edge_counter = SettingValue("active_u_edge_counter");
    _active_d_edge_counter = SettingValue("active_d_edge_counter");
}

void TuneMultiFingerLift::StartScene() {
    switch (_mode) {
        case 1:
            _imp->StartMultiFingerLiftRX(this);
            break;
        case 2:
            _imp->StartMultiFingerLiftRY(this);
            break;
        case 3:
        case 4:
            _imp->StartMultiFingerLiftActive(this, _mode);
            break;
        default:
            _imp->StartMultiFingerLift(this);
            break;
    }
}

}  // namespace morvex_gui
