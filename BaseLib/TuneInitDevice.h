#pragma once

#include <boost/shared_ptr.hpp>

#include "CoreDevice.h"

namespace morvex_gui {

// The engineering window's device: everything of the mass-production device,
// plus the operations on the tuning firmware. Tuning parameters are named by
// their row in the window's parameter list (0 to 29); a row outside that
// range sends nothing and leaves the current state alone.
class TuneInitDevice : public CoreDevice {
    Q_OBJECT
public:
    TuneInitDevice(WindowImp* imp, boost::shared_ptr<State>* current);

    void StartLogging();
    void DisableOffset();
    void TuneInit();
    void DrawingState();

    // Shows the raw data that belongs to the parameter.
    void ReadDisplayData(int index);
    void ScanParameter(int index);
    void ReadParameterValue(int index);
    // Steps the parameter from the last value the controller reported (the
    // setting "parameter_value"); `shownValue` is what the window displays
    // and is not trusted, since only a parsed reply is the controller's value.
    void ChangeParameterValue(int index, int shownValue, bool increase, int step);

private:
    // The parameter's register code, or -1 (with a log line) for a row
    // outside the table.
    int RegisterCode(int index, const char* operation) const;
    // A setting as a number: leading blanks, a sign and digits; anything else is 0.
    int IntegerSetting(const char* key) const;
    boost::shared_ptr<State> MakeDisplayState(int code) const;
    void SendParameterQuery(int code);
    // Asks for the parameter's register under `operation` and reads the
    // reply with a new StateT; a row outside the table sends nothing.
    template <class StateT>
    void QueryParameter(int index, const char* operation) {
        const int code = RegisterCode(index, operation);
        if (code < 0) {
            return;
        }
        SendParameterQuery(code);
        Replace<StateT>();
    }
};

}  // namespace morvex_gui
