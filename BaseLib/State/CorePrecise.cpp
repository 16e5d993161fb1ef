#include "CorePrecise.h"

#include "OperationLog.h"
#include "WindowImp.h"

namespace morvex_gui {

namespace {
constexpr int kSlots = 5;
constexpr int kTestItemTimer = 0;
}  // namespace

CorePrecise::CorePrecise(WindowImp* imp) : Normal(imp, "\\(\\s(\\d++,?)+", kSlots) {}

void CorePrecise::ChangeState() {
    State::ChangeState();
    _imp->StartTimer(kTestItemTimer);
    _imp->StartNormalPrecise(this);
}

void CorePrecise::Update() {
    UpdateReport("LAWNGREEN");
}

void CorePrecise::LogData() {
    static log4cplus::Logger logger = MeasurementLogger("precise");
    LOG4CPLUS_INFO(logger, _match.c_str());
}

}  // namespace morvex_gui
