#include "ClassicDevice.h"

#include <boost/make_shared.hpp>

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
    InstallState(Make<ClassicNormal>());
}

void ClassicDevice::DebugState() {
    SendWithMode("d", kClassicDebugMode);
    InstallState(Make<ClassicDebug>());
}

void ClassicDevice::RasterState() {
    SendWithMode("r", kClassicRasterMode);
    InstallState(Make<ClassicRaster>());
}

}  // namespace morvex_gui
