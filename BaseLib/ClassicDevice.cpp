#include "ClassicDevice.h"

#include "ClassicDebug.h"
#include "ClassicNormal.h"
#include "ClassicRaster.h"

namespace morvex_gui {

namespace {

// Display modes of the classic scenes.
constexpr int kClassicNormalMode = 7;
constexpr int kClassicDebugMode = 8;
constexpr int kClassicRasterMode = 9;

}  // namespace

ClassicDevice::ClassicDevice(WindowImp* imp, boost::shared_ptr<State>* current)
    : Device(imp, current) {}

void ClassicDevice::NormalState() {
    SendWithMode("n", kClassicNormalMode);
    Replace<ClassicNormal>();
}

void ClassicDevice::DebugState() {
    SendWithMode("d", kClassicDebugMode);
    Replace<ClassicDebug>();
}

void ClassicDevice::RasterState() {
    SendWithMode("r", kClassicRasterMode);
    Replace<ClassicRaster>();
}

}  // namespace morvex_gui
