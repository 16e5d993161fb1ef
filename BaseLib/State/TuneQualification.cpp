#include "TuneQualification.h"

#include "WindowImp.h"

namespace morvex_gui {

TuneQualification::TuneQualification(WindowImp* imp)
    : CoreRaster(imp, 0), _fingX_value(0), _fingY_value(0), _noiseX_value(0), _noiseY_value(0) {}

TuneQualification::~TuneQualification() = default;

void TuneQualification::ChangeState() {
    if (!ParseFrame()) {
        return;
    }
    State::ChangeState();
    ReadTuningValues();
    _imp->StartQualification(this);
}

void TuneQualification::Update() {
    const bool frameComplete = ParseFrame();
    if (frameComplete) {
        ReadTuningValues();
    }
    ShowLine(frameComplete);
}

void TuneQualification::ReadTuningValues() {
    _fingX_value = SettingValue("fingX_value");
    _fingY_value = SettingValue("fingY_value");
    _noiseX_value = SettingValue("noiseX_value");
    _noiseY_value = SettingValue("noiseY_value");
}

}  // namespace morvex_gui
