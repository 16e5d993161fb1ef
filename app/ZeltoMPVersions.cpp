#include <QLabel>
#include <QMessageBox>
#include <QTimer>

#include "CoreDevice.h"
#include "OpenState.h"
#include "QtWindowImp.h"
#include "Settings.h"
#include "ZeltoMP.h"

namespace {

// The watch timer counts this many ticks before it judges what arrived.
constexpr int kVersionTicksBeforeCheck = 3;
// The slave version label wraps after this many characters.
constexpr int kVersionWrapWidth = 15;

QString Latin1(const char* text) {
    return QString::fromLatin1(text);
}

QString VersionText(bool match, const QString& version) {
    return (match ? QStringLiteral("<FONT COLOR=Blue SIZE=8>")
                  : QStringLiteral("<FONT COLOR=Red SIZE=8>")) +
           version + QStringLiteral("</FONT>");
}

}  // namespace

bool ZeltoMP::MatchesSetting(const char* key, const char* version) const {
    // Whole text, case-sensitive, nothing trimmed.
    return _settings->GetValue(key) == version;
}

QString ZeltoMP::WrapVersion(const QString& version) {
    QString copy = version;
    for (int position = kVersionWrapWidth; position <= copy.size(); position += kVersionWrapWidth) {
        copy.insert(position, QLatin1Char(' '));
    }
    return copy;
}

void ZeltoMP::StartVersionWatch() {
    // Every period counts its own two seconds: the count of a period that ended
    // meanwhile (inside a download dialog) would judge at the first tick.
    _versionTicks = 0;
    // Each start-up reads the panel anew: a download may have changed it.
    _panelInformationRead = false;
    _versionTimer->start();
}

bool ZeltoMP::StartUpRunning() const {
    // The Y electrode count, the last of the information, ends the watch early.
    return _versionTimer->isActive();
}

bool ZeltoMP::StartUpReading() const {
    // Only the start-up installs the information state; any other command
    // since then has taken the replies away from it.
    return StartUpRunning() &&
           dynamic_cast<const morvex_gui::OpenState*>(_currentState.get()) != nullptr;
}

bool ZeltoMP::PanelInformationReady(std::function<void()> start) {
    if (_panelInformationRead) {
        return true;
    }
    HoldUntilPanelRead(std::move(start));
    return false;
}

void ZeltoMP::HoldUntilPanelRead(std::function<void()> start, bool runTest) {
    _heldStart = std::move(start);
    _heldGeneration = _runGeneration;
    _heldRunTest = runTest;
    if (!StartUpReading() && _device->isOpen()) {
        // The start-up's information was cut off or went to a dialog.
        AskPanelAgain();
    }
}

std::function<void()> ZeltoMP::TakeHeldStart() {
    std::function<void()> start = std::move(_heldStart);
    _heldStart = nullptr;
    return _heldGeneration == _runGeneration ? start : nullptr;
}

void ZeltoMP::ReleaseHeldStart() {
    if (std::function<void()> start = TakeHeldStart()) {
        // The count arrives inside a reply: the start waits until it is done.
        Later(std::move(start));
    }
}

void ZeltoMP::ReleaseHeldStartWithoutFirmware() {
    const bool runTest = _heldRunTest;
    // A held item is blocked, as one pressed now would be. A held Run Test goes
    // on as one pressed now: its slave check asks the panel attached by now,
    // and a slave that answers has its information read before its items.
    if (std::function<void()> start = TakeHeldStart(); start && runTest) {
        start();
    }
}

void ZeltoMP::AskAgainIfStartUpCutOff() {
    if (StartUpRunning()) {
        AskPanelAgain();
    }
}

void ZeltoMP::AskPanelAgain() {
    // What came of the cut-off start-up so far goes to the state that cut it
    // off, so the new start-up reads only its own replies and asks once.
    ReadSerialPort();
    RestartFromOpenPort();
}

void ZeltoMP::StopVersionWatch() {
    // A closed port has no panel to judge, and marks written now would read as
    // versions to the next session.
    _versionTimer->stop();
}

void ZeltoMP::VersionCheck() {
    if (_versionTicks < kVersionTicksBeforeCheck) {
        ++_versionTicks;
        return;
    }
    _versionTimer->stop();
    if (ui.master_label->text().isEmpty()) {
        ui.master_label->setText(QStringLiteral("<FONT COLOR=Red SIZE=8>Error</FONT>"));
    }
    if (ui.slave_label->text().isEmpty()) {
        ui.slave_label->setText(QStringLiteral("<FONT COLOR=Red SIZE=8>No FW</FONT>"));
        _noFirmware = true;
        ReleaseHeldStartWithoutFirmware();
    }
}

void ZeltoMP::ReadMasterVersion(const char* version) {
    _settings->SetParameter(ConfigParameter("Master_version", version));
}

void ZeltoMP::DisplayMasterVersion(const char* version) {
    _masterVersionLabel->setText(
        QStringLiteral("<FONT COLOR=green>M-Version: </FONT><FONT COLOR=SlateBlue SIZE=4>") +
        Latin1(version) + QStringLiteral("</FONT>"));
    ui.master_label->setText(
        VersionText(MatchesSetting("MasterVersion", version), Latin1(version)));
    // A differing master still gets asked for the slave's information.
    _device->GetEepromInformation();
}

void ZeltoMP::DisplaySlaveVersion(const char* version) {
    _slaveVersionLabel->setText(
        QStringLiteral("<FONT COLOR=green>S-Version: </FONT><FONT COLOR=SlateBlue SIZE=4>") +
        Latin1(version) + QStringLiteral("</FONT>"));
    const bool match = MatchesSetting("SlaveVersion", version);
    ui.slave_label->setText(VersionText(match, WrapVersion(Latin1(version))));
    // A slave that reports has firmware, whatever an earlier watch concluded
    // from its silence (a slow controller, replies taken by a dialog).
    _noFirmware = false;
    if (!OnAutomaticPage()) {
        return;
    }
    _imp->SetResult("slave", std::string("Slave Version: ,") + version);
    if (match) {
        ShowSlaveCheck(QStringLiteral("Slave Check: <FONT COLOR=GREEN>OK</FONT>"));
    } else {
        ShowSlaveCheck(QStringLiteral("Slave Check: <FONT COLOR=Red>NG</FONT>"));
        if (!ui.normal_label->isHidden()) {
            _overallPass = false;
        }
    }
    // The report arrives inside a reply: the next item starts once it is done.
    Later([this] { Reset(); });
}

void ZeltoMP::ShowSlaveCheck(const QString& verdict) {
    ui.normal_label->setText(verdict);
    _slaveCheckVerdict = verdict;
}

void ZeltoMP::DisplaySlaveCrc(const char* crc) {
    ui.FwCrc_label->setText(QStringLiteral("<FONT COLOR=Blue SIZE=8>") + Latin1(crc) +
                            QStringLiteral("</FONT>"));
}

void ZeltoMP::DisplayElectrodesX(const char* value) {
    _xChannelsLabel->setText(
        QStringLiteral("<FONT COLOR=green>X-Ch.: </FONT><FONT COLOR=SlateBlue SIZE=4>") +
        Latin1(value) + QStringLiteral("</FONT>"));
}

void ZeltoMP::DisplayElectrodesY(const char* value) {
    _yChannelsLabel->setText(
        QStringLiteral("<FONT COLOR=green>Y-Ch.: </FONT><FONT COLOR=SlateBlue SIZE=4>") +
        Latin1(value) + QStringLiteral("</FONT>"));
    _versionTimer->stop();
    _panelInformationRead = true;
    ReleaseHeldStart();
}

void ZeltoMP::DisplayEepromStructVersion(std::string /*version*/, bool match) {
    // Not connected in this window; kept for the engineering window's road.
    if (match) {
        _device->SendZ();
        return;
    }
    QMessageBox::warning(nullptr, QStringLiteral("Error..."),
                         QStringLiteral("The version of firmware and eeprom not matched, Please "
                                        "download a correct vmx file."),
                         QMessageBox::Ok);
}
