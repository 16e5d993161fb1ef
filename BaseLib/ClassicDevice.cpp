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
    Install(boost::make_shared<ClassicNormal>(_imp));
}

void ClassicDevice::DebugState() {
    SendWithMode("d", kClassicDebugMode);
    Install(boost::make_shared<ClassicDebug>(_imp));
}

void ClassicDevice::RasterState() {
    SendWithMode("r", kClassicRasterMode);
    Install(boost::make_shared<ClassicRaster>(_imp));
}

void ClassicDevice::Install(const boost::shared_ptr<State>& state) {
    if (_currentState != nullptr) {
        *_currentState = state;
    }
}

}  // namespace morvex_gui
