#include "OpenState.h"

#include <cstdio>

#include "HexField.h"
#include "OperationLog.h"
#include "WindowImp.h"

namespace morvex_gui {

namespace {

// Several alternatives start inside a word ("ister", "rom", "ster", "ave"), so
// whatever the bridge prints before them does not matter.
constexpr const char* kInformationLines =
    "(The CRC of the application of the slave: 0x (([a-fA-F0-9]{2}\\s){2}))"
    "|(I2C_TIME_OUT)"
    "|(ister content: [0-9A-Fa-f]{2})"
    "|(rom structure version:\\s(0x[0-9A-Fa-f]{2}))"
    "|(ster_Bootloader_B?V\\d+)"
    "|(ave version: [^\\x1b]+)"
    "|(ster version:.+)"
    "|(umber of (x|y) electrodes: 0x([0-9A-Fa-f]{2}))"
    "|(the reference rawdata number: 0x([0-9A-Fa-f]{2}))"
    "|(the button reference rawdata number: 0x([0-9A-Fa-f]{2}))"
    "|(ber of (vertical|horizontal) squares: 0x([0-9A-Fa-f]{2}))";

int HexValue(const boost::ssub_match& field) {
    const std::string digits = field.str();
    return HexFieldValue(digits.data(), digits.data() + digits.size());
}

// "v" + the number in a two-wide decimal field with a point after its first
// character: 0x15 -> "v2.1", 0x07 -> "v .7", 0x64 -> "v1.00".
std::string StructVersionText(const std::string& hexDigits) {
    const int number = HexFieldValue(hexDigits.data(), hexDigits.data() + hexDigits.size());
    char field[16];
    std::snprintf(field, sizeof field, "%2d", number);
    std::string text = field;
    text.insert(1, ".");
    return "v" + text;
}

}  // namespace

OpenState::OpenState(WindowImp* imp) : State(imp, kInformationLines) {}

void OpenState::ChangeState() {
    // The information reaches the window before its display is reset.
    GetDeviceInfo();
    State::ChangeState();
}

void OpenState::Update() {
    GetDeviceInfo();
}

void OpenState::Hook() {}

const std::vector<OpenState::InformationRule>& OpenState::InformationRules() {
    // Tried in this order; the first that fits the line handles it. Compiled
    // once for the process, never per line.
    static const std::vector<InformationRule> rules = {
        {boost::regex("ster_Bootloader_B?V\\d+"), &OpenState::OnBootloader},
        {boost::regex("ster version: I2C master for (\\S+) Morvex (\\S+ (B?V(\\S+)))"),
         &OpenState::OnMasterVersion},
        {boost::regex("mber of x electrodes: 0x([0-9A-Fa-f]{2})"), &OpenState::OnElectrodesX},
        {boost::regex("The CRC of the application of the slave: 0x (([a-fA-F0-9]{2}\\s){2})"),
         &OpenState::OnSlaveCrc},
        {boost::regex("ave version: ([^\\x1b]+)"), &OpenState::OnSlaveVersion},
        {boost::regex("mber of y electrodes: 0x([0-9A-Fa-f]{2})"), &OpenState::OnElectrodesY},
        {boost::regex("ucture version:\\s(0x([0-9A-Fa-f]{2}))"), &OpenState::OnEepromStructVersion},
        {boost::regex("ister content: ([0-9A-Fa-f]{2})"), &OpenState::OnRegisterContent},
        {boost::regex("the reference rawdata number: 0x([0-9A-Fa-f]{2})"),
         &OpenState::OnReferenceCount},
        {boost::regex("the button reference rawdata number: 0x([0-9A-Fa-f]{2})"),
         &OpenState::OnButtonReferenceCount},
        {boost::regex("ber of vertical squares: 0x([0-9A-Fa-f]{2})"),
         &OpenState::OnVerticalSquares},
        {boost::regex("ber of horizontal squares: 0x([0-9A-Fa-f]{2})"),
         &OpenState::OnHorizontalSquares},
    };
    return rules;
}

void OpenState::GetDeviceInfo() {
    boost::smatch found;
    for (const InformationRule& rule : InformationRules()) {
        if (boost::regex_search(_match, found, rule.pattern)) {
            (this->*rule.handle)(found);
            return;
        }
    }
    // "I2C_TIME_OUT" and master lines of another shape end here: no effect.
}

void OpenState::OnBootloader(const boost::smatch&) {
    // The bridge runs its bootloader instead of its application.
    _imp->RequestMasterDownload();
}

void OpenState::OnMasterVersion(const boost::smatch& found) {
    _imp->ReadMasterVersion(found[4].str().c_str());
    _imp->DisplayMasterVersion(found[2].str().c_str());
}

void OpenState::OnElectrodesX(const boost::smatch& found) {
    const int reported = StoreChannelCount("x_electrodes", found[1]);
    _imp->DisplayElectrodesX(std::to_string(reported).c_str());
}

void OpenState::OnSlaveCrc(const boost::smatch& found) {
    _imp->DisplaySlaveCrc(found[1].str().c_str());
}

void OpenState::OnSlaveVersion(const boost::smatch& found) {
    _imp->DisplaySlaveVersion(found[1].str().c_str());
}

void OpenState::OnElectrodesY(const boost::smatch& found) {
    const int reported = StoreChannelCount("y_electrodes", found[1]);
    _imp->DisplayElectrodesY(std::to_string(reported).c_str());
}

void OpenState::OnEepromStructVersion(const boost::smatch& found) {
    const std::string version = found[2].str();
    // Letter case counts: the register must read back exactly what the line says.
    const bool match = _registerContent == version;
    const std::string& shown = _registerContent.empty() ? version : _registerContent;
    _imp->DisplayEepromStructVersion(StructVersionText(shown), match);
}

void OpenState::OnRegisterContent(const boost::smatch& found) {
    _registerContent = found[1].str();
}

void OpenState::OnReferenceCount(const boost::smatch& found) {
    StoreChannelCount("reference_electrodes", found[1]);
}

void OpenState::OnButtonReferenceCount(const boost::smatch& found) {
    StoreCount("button_reference_electrodes", found[1]);
    _imp->FlushButtonStatus();
}

void OpenState::OnVerticalSquares(const boost::smatch& found) {
    StoreCount("vertical_squares", found[1]);
}

void OpenState::OnHorizontalSquares(const boost::smatch& found) {
    StoreCount("horizontal_squares", found[1]);
}

int OpenState::StoreChannelCount(const char* key, const boost::ssub_match& hexCount) {
    // Channel counts are kept as the highest channel index, one less than
    // reported. A device that reports none must not leave -1 for the readers
    // that size their tables with it.
    const int reported = HexValue(hexCount);
    if (reported <= 0) {
        LOG4CPLUS_WARN(OperationLogger(),
                       "Device reports no channels for " << key << "; stored as 0");
        StoreSetting(key, 0);
    } else {
        StoreSetting(key, reported - 1);
    }
    return reported;
}

int OpenState::StoreCount(const char* key, const boost::ssub_match& hexCount) {
    const int reported = HexValue(hexCount);
    StoreSetting(key, reported);
    return reported;
}

void OpenState::StoreSetting(const char* key, int value) {
    _imp->_settings.SetParameter(ConfigParameter(key, std::to_string(value)));
}

}  // namespace morvex_gui
