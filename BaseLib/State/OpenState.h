#pragma once

#include <string>
#include <vector>

#include "State.h"

namespace morvex_gui {

// Current while the bridge and the controller tell who they are (after the
// start-up sequence and "$d"). Each information line becomes a window call or
// a setting; the state never draws and stays current for any number of lines.
class OpenState : public State {
public:
    explicit OpenState(WindowImp* imp);
    void ChangeState() override;
    void Update() override;
    void Hook() override;

    void GetDeviceInfo();

    const std::string& RegisterContent() const { return _registerContent; }

private:
    using Handler = void (OpenState::*)(const boost::smatch&);
    struct InformationRule {
        boost::regex pattern;
        Handler handle;
    };
    static const std::vector<InformationRule>& InformationRules();

    void OnBootloader(const boost::smatch& found);
    void OnMasterVersion(const boost::smatch& found);
    void OnElectrodesX(const boost::smatch& found);
    void OnSlaveCrc(const boost::smatch& found);
    void OnSlaveVersion(const boost::smatch& found);
    void OnElectrodesY(const boost::smatch& found);
    void OnEepromStructVersion(const boost::smatch& found);
    void OnRegisterContent(const boost::smatch& found);
    void OnReferenceCount(const boost::smatch& found);
    void OnButtonReferenceCount(const boost::smatch& found);
    void OnVerticalSquares(const boost::smatch& found);
    void OnHorizontalSquares(const boost::smatch& found);

    int StoreChannelCount(const char* key, const boost::ssub_match& hexCount);
    int StoreCount(const char* key, const boost::ssub_match& hexCount);
    void StoreSetting(const char* key, int value);

    // The two hex digits of the last "register content" line, as received.
    std::string _registerContent;
};

}  // namespace morvex_gui
