#include "QtWindowImp.h"

// The scene operations of the test modes. Until the mode scenes are in place
// each one blanks the display with the bare scene, through the same road the
// mode scenes will take.

namespace morvex_gui_qtlib {

void QtWindowImp::StartNormal(morvex_gui::Normal* /*state*/) {
    InstallScene<Scene>();
}

void QtWindowImp::StartNormalFlag(morvex_gui::CoreNormalFlag* /*state*/) {
    InstallScene<Scene>();
}

void QtWindowImp::StartNormalBorder(morvex_gui::CoreBorder* /*state*/) {
    InstallScene<Scene>();
}

void QtWindowImp::StartNormalLinearity(morvex_gui::CoreLinearity* /*state*/) {
    InstallScene<Scene>();
}

void QtWindowImp::StartButtonNormal(morvex_gui::ButtonState* /*state*/) {
    InstallScene<Scene>();
}

void QtWindowImp::StartNormalPrecise(morvex_gui::CorePrecise* /*state*/) {
    InstallScene<Scene>();
}

void QtWindowImp::StartReferenceData(morvex_gui::SingleRawData* /*state*/) {
    InstallScene<Scene>();
}

void QtWindowImp::StartButtonReferenceData(morvex_gui::SingleRawData* /*state*/) {
    InstallScene<Scene>();
}

void QtWindowImp::StartDebug(morvex_gui::RawData* /*state*/) {
    InstallScene<Scene>();
}

void QtWindowImp::StartRasterX(morvex_gui::RawData* /*state*/) {
    InstallScene<Scene>();
}

void QtWindowImp::StartRasterY(morvex_gui::RawData* /*state*/) {
    InstallScene<Scene>();
}

void QtWindowImp::StartBendingDebug(morvex_gui::BendingRawData* /*state*/) {
    InstallScene<Scene>();
}

void QtWindowImp::StartPicture(morvex_gui::PictureView* /*state*/) {
    InstallScene<Scene>();
}

void QtWindowImp::StartRaster(morvex_gui::CoreRaster* /*state*/) {
    InstallScene<Scene>();
}

void QtWindowImp::StartSingleDebug(morvex_gui::SingleRawData* /*state*/) {
    InstallScene<Scene>();
}

void QtWindowImp::StartSingleDebugThreshold(morvex_gui::SingleRawData* /*state*/) {
    InstallScene<Scene>();
}

void QtWindowImp::StartSingleDebugZero(morvex_gui::SingleRawData* /*state*/) {
    InstallScene<Scene>();
}

void QtWindowImp::StartMultiFingerLift(morvex_gui::TuneMultiFingerLift* /*state*/) {
    InstallScene<Scene>();
}

void QtWindowImp::StartMultiFingerLiftRX(morvex_gui::TuneMultiFingerLift* /*state*/) {
    InstallScene<Scene>();
}

void QtWindowImp::StartMultiFingerLiftRY(morvex_gui::TuneMultiFingerLift* /*state*/) {
    InstallScene<Scene>();
}

void QtWindowImp::StartMultiFingerLiftActive(morvex_gui::TuneMultiFingerLift* /*state*/,
                                             int /*mode*/) {
    InstallScene<Scene>();
}

void QtWindowImp::StartMultiFinger(morvex_gui::TuneMultiFinger* /*state*/) {
    InstallScene<Scene>();
}

void QtWindowImp::StartQualification(morvex_gui::TuneQualification* /*state*/) {
    InstallScene<Scene>();
}

void QtWindowImp::StartOpenShort(morvex_gui::OpenShortState* /*state*/) {
    InstallScene<Scene>();
}

void QtWindowImp::StartRasterRX(morvex_gui::CoreRaster* /*state*/) {
    InstallScene<Scene>();
}

void QtWindowImp::StartRasterRY(morvex_gui::CoreRaster* /*state*/) {
    InstallScene<Scene>();
}

}  // namespace morvex_gui_qtlib
