#include "TuneInitDevice.h"

#include <sstream>
#include <string>

#include "BendingRawData.h"
#include "CoreNormal.h"
#include "CoreParameterValue.h"
#include "CoreRaster.h"
#include "CoreScanParameters.h"
#include "OperationLog.h"
#include "SingleRawDataB.h"
#include "SingleRawDataX.h"
#include "SingleRawDataY.h"
#include "TuneMultiFinger.h"
#include "TuneMultiFingerLift.h"
#include "TuneQualification.h"
#include "TuneRegisterTable.h"
#include "WindowImp.h"

namespace morvex_gui {

namespace {

enum class DisplayKind { RawX, RawY, RawButton, Bending, MultiFinger, Raster, Lift, Qualification };

// What each register's raw data looks like: the command that starts it and
// the state that reads it.
struct DisplayRow {
    int code;
    const char* command;
    DisplayKind kind;
    int mode;
};

constexpr DisplayRow kDisplayRows[] = {
    {0x61, "d", DisplayKind::RawX, 0},          {0x62, "o", DisplayKind::RawX, 1},
    {0x63, "d", DisplayKind::RawY, 0},          {0x64, "o", DisplayKind::RawY, 1},
    {0x65, "c", DisplayKind::RawX, 2},          {0x66, "c", DisplayKind::RawY, 2},
    {0x67, "m", DisplayKind::MultiFinger, 0},   {0x68, "m", DisplayKind::MultiFinger, 0},
    {0x69, "a", DisplayKind::Raster, 0},        {0x6A, "f", DisplayKind::Lift, 0},
    {0x6B, "aX", DisplayKind::Raster, 0},       {0x6C, "fX", DisplayKind::Lift, 0},
    {0x6D, "a", DisplayKind::Raster, 0},        {0x6E, "a", DisplayKind::Raster, 0},
    {0x6F, "u", DisplayKind::RawButton, 0},     {0x70, "b", DisplayKind::Bending, 0},
    {0x71, "r", DisplayKind::RawX, 7},          {0x72, "r", DisplayKind::RawY, 7},
    {0x73, "n", DisplayKind::Qualification, 0}, {0x74, "n", DisplayKind::Qualification, 0},
    {0x75, "n", DisplayKind::Qualification, 0}, {0x76, "n", DisplayKind::Qualification, 0},
    {0x77, "s", DisplayKind::RawX, 4},          {0x79, "x", DisplayKind::RawX, 5},
    {0x7B, "s", DisplayKind::RawY, 4},          {0x7D, "x", DisplayKind::RawY, 5},
    {0x7F, "k", DisplayKind::RawX, 0},          {0x80, "h", DisplayKind::RawX, 6},
    {0x81, "k", DisplayKind::RawY, 0},          {0x82, "h", DisplayKind::RawY, 6},
};

const DisplayRow* FindDisplayRow(int code) {
    for (const DisplayRow& row : kDisplayRows) {
        if (row.code == code) {
            return &row;
        }
    }
    return nullptr;
}

}  // namespace

TuneInitDevice::TuneInitDevice(WindowImp* imp, boost::shared_ptr<State>* current)
    : CoreDevice(imp, current) {}

void TuneInitDevice::StartLogging() {
    Send("N");
}

void TuneInitDevice::DisableOffset() {
    Send("O");
}

void TuneInitDevice::TuneInit() {
    Send("%");
}

void TuneInitDevice::DrawingState() {
    Send("G");
    Replace<CoreNormal>();
}

void TuneInitDevice::ReadDisplayData(int index) {
    const DisplayRow* row = FindDisplayRow(RegisterCode(index, "display"));
    if (row == nullptr) {
        return;
    }
    Send(row->command);
    // The raw-data states take the electrode count as it is now.
    InstallState(MakeDisplayState(row->code));
}

void TuneInitDevice::ScanParameter(int index) {
    QueryParameter<CoreScanParameters>(index, "scan");
}

void TuneInitDevice::ReadParameterValue(int index) {
    QueryParameter<CoreParameterValue>(index, "read");
}

void TuneInitDevice::ChangeParameterValue(int index, int /*shownValue*/, bool increase, int step) {
    const int code = RegisterCode(index, "change");
    if (code < 0) {
        return;
    }
    const ParameterChange change =
        PlanParameterChange(code, IntegerSetting("parameter_value"), increase, step,
                            IntegerSetting("x_electrodes"), IntegerSetting("y_electrodes"));
    const ParameterChangeCommands commands(code, change);
    for (long long chunk = 0; chunk < commands.fullChunks; ++chunk) {
        Send(commands.fullChunk.c_str());
    }
    Send(commands.last.c_str());
    Replace<CoreParameterValue>();
}

int TuneInitDevice::RegisterCode(int index, const char* operation) const {
    if (!IsTuneParameterIndex(index)) {
        LOG4CPLUS_WARN(OperationLogger(), "Tuning parameter " << index << " does not exist ("
                                                              << operation << " ignored)");
        return -1;
    }
    return TuneRegisterTable[index];
}

int TuneInitDevice::IntegerSetting(const char* key) const {
    if (_imp == nullptr) {
        return 0;
    }
    std::istringstream text(_imp->_settings.GetValue(key));
    int value = 0;
    if (!(text >> value)) {
        return 0;
    }
    return value;
}

boost::shared_ptr<State> TuneInitDevice::MakeDisplayState(int code) const {
    const DisplayRow* row = FindDisplayRow(code);
    switch (row->kind) {
        case DisplayKind::RawX:
            return Make<SingleRawDataX>(IntegerSetting("x_electrodes"), row->mode);
        case DisplayKind::RawY:
            return Make<SingleRawDataY>(IntegerSetting("y_electrodes"), row->mode);
        case DisplayKind::RawButton:
            return Make<SingleRawDataB>();
        case DisplayKind::Bending:
            return Make<BendingRawData>();
        case DisplayKind::MultiFinger:
            return Make<TuneMultiFinger>();
        case DisplayKind::Raster:
            return Make<CoreRaster>(row->mode);
        case DisplayKind::Lift:
            return Make<TuneMultiFingerLift>(row->mode);
        case DisplayKind::Qualification:
            return Make<TuneQualification>();
    }
    return boost::shared_ptr<State>();
}

// Asks the controller for the register's value: "i", the register, "00".
void TuneInitDevice::SendParameterQuery(int code) {
    const std::string command = "i" + RegisterText(code) + "00";
    Send(command.c_str());
}

}  // namespace morvex_gui
