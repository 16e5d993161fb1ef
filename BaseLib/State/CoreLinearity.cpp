#include "CoreLinearity.h"

#include "OperationLog.h"
#include "WindowImp.h"

namespace morvex_gui {

namespace {
constexpr int kSlots = 5;
constexpr int kTestItemTimer = 0;
}  // namespace

CoreLinearity::CoreLinearity(WindowImp* imp) : Normal(imp, "\\(\\s(\\d++,?)+", kSlots) {}

void CoreLinearity::ChangeState() {
    State::ChangeState();
    _imp->StartTimer(kTestItemTimer);
    _imp->StartNormalLinearity(this);
}

void CoreLinearity::Update() {
    UpdateReport("LAWNGREEN");
}

void CoreLinearity::LogData() {
    static log4cplus::Logger logger = MeasurementLogger("linearity");
    LOG4CPLUS_INFO(logger, _match.c_str());
}

}  // namespace morvex_gui
