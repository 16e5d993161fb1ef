#include "CoreSlaveCrc.h"

#include "WindowImp.h"

namespace morvex_gui {

CoreSlaveCrc::CoreSlaveCrc(WindowImp* imp)
    : State(imp, "The CRC of the application of the slave: 0x (([a-fA-F0-9]{2}\\s){2})"),
      _crcNames{{"EA C8 ", "MP9.0"},    {"C0 EC ", "MP8.4"},    {"15 EC ", "MP8.3"},
                {"DF 7A ", "MP8.2"},    {"BA E6 ", "MP8.1"},    {"AE D7 ", "MP8.0"},
                {"0D A2 ", "MP7.2"},    {"12 C7 ", "MP7.1"},    {"66 B8 ", "ZT_MP7.0"},
                {"63 56 ", "ZT_MP8.0"}, {"F3 1C ", "ZT_MP8.1"}, {"49 33 ", "ZT_MP8.2"}} {}

void CoreSlaveCrc::ChangeState() {
    State::ChangeState();
    std::string text = _result[1].str();
    // Exact comparison: a lower-case or tab-separated checksum is no release.
    const auto found = _crcNames.find(text);
    if (found != _crcNames.end()) {
        text += found->second;
    }
    _imp->Log(text);
}

}  // namespace morvex_gui
