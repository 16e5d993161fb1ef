#pragma once

#include "CoreRaster.h"

namespace morvex_gui {

// A raster frame of the qualification mode, with the finger and noise grid
// positions that the scene marks; they are re-read with every complete frame
// so a change of the tuning values shows at once.
class TuneQualification : public CoreRaster {
public:
    explicit TuneQualification(WindowImp* imp);
    ~TuneQualification() override;

    void Update() override;
    void ChangeState() override;

    int GetFingXValue() const { return _fingX_value; }
    int GetFingYValue() const { return _fingY_value; }
    int GetNoiseXValue() const { return _noiseX_value; }
    int GetNoiseYValue() const { return _noiseY_value; }

private:
    void ReadTuningValues();

    int _fingX_value;
    int _fingY_value;
    int _noiseX_value;
    int _noiseY_value;
};

}  // namespace morvex_gui
