#pragma once

#include <QCheckBox>
#include <QPointer>
#include <array>
#include <boost/shared_ptr.hpp>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "QtSerialPortWindow.h"
#include "WindowPiecesFwd.h"
#include "ui_ZeltoMP.h"

class QComboBox;
class QLabel;
class QProgressBar;
class QTimer;
class Settings;

namespace morvex_gui {
class CoreDevice;
class State;
}  // namespace morvex_gui

// The operator's main window: opens the bridge's port, checks the firmware
// versions, runs the panel's test items by hand or as the automatic sequence,
// each against its countdown, and shows the panel's Pass or NG.
class ZeltoMP : public morvex_gui_qtlib::QtSerialPortWindow {
    Q_OBJECT
public:
    // Test items by number; from 2 on these are the values of mode_flag.
    enum ItemId {
        kSlaveCheck = 1,
        kDebugItem = 2,
        kRasterItem = 3,
        kBorderItem = 4,
        kLinearityItem = 5,
        kPreciseItem = 6,
        kButtonNormalItem = 7,
        kButtonRawDataItem = 8,
        kSingleRawItem = 9,
        kButtonSingleRawItem = 10,
        kRasterXItem = 11,
        kRasterYItem = 12,
        kActiveItem = 13,
        kJitterItem = 14,
        kResetItem = 15,
        kAttbItem = 16,
    };
    static constexpr int kItemCount = 17;  // ids 1..16, index 0 unused

    explicit ZeltoMP(QWidget* parent = nullptr);
    ~ZeltoMP() override;

    void CreateDevice() override;

    // Status-bar and version texts back to their empty forms; countdown stopped.
    void ResetLabels();
    // Stops both countdown timers, empties the countdown and disarms the verdict.
    void StopCountdown();

    // An item's check box and result label by its id.
    QCheckBox* ItemCheckBox(int id) const;
    QLabel* ResultLabel(int id);

signals:
    // The open port's adapter went away; dialogs that own the link close.
    void SignalDeviceDisconnect();

public slots:
    void DisplayEepromStructVersion(std::string version, bool match);
    void ReadSerialPort() override;
    void ClearOverflow();
    void DeviceOff();
    void DisplayFullScreen(bool full);
    void DisableFullScreen();
    void SwitchFullScreen(bool full);
    void Clear();
    void ChangeTestMode();
    void UserWithOffset(bool state);
    void SwitchPort(bool checked);
    void DisplayMasterVersion(const char* version);
    void DisplaySlaveVersion(const char* version);
    void DisplaySlaveCrc(const char* crc);
    void DisplayElectrodesX(const char* value);
    void DisplayElectrodesY(const char* value);
    void ReadMasterVersion(const char* version);
    void UserCheckSlaveCrc();
    void Normal();
    void Debug();
    void Raster();
    void RasterRX();
    void RasterRY();
    void Active();
    void SingleRaw();
    void ButtonSingleRaw();
    void NormalLinearity();
    void NormalPrecise();
    void NormalBorder();
    void ButtonRawData();
    void ButtonNormal();
    void RasterX();
    void RasterY();
    void Jitter();
    void Reset();
    void Attb();
    void TimerTrigger();
    void ResultTimer(bool result);
    void AutoTest();
    void ShowResultLabel(int id);
    void VersionCheck();
    void initButtonStatus();
    void startTimer(int num);

    // Dialogs; those that read the bridge get the link while they are open.
    void About();
    void SetDefaultSettings();
    void ThresholdSetting();
    void SlaveDownload();
    void MasterDownload();
    void StartCalibrate();
    void Calibrate(bool calibrate);
    void StartOpenShort(int x, int y);

    // Stand in for the device-change messages: the platform's watcher calls
    // them when a serial adapter comes or goes.
    void DeviceArrival();
    void DeviceRemoval();

public:
    // One test item as its slot runs it; see ZeltoMPTestItems.cpp.
    struct TestItem;
    // What a verdict of an item does on the automatic page.
    struct VerdictRule;
    using ItemSlot = void (ZeltoMP::*)();

private:
    // Construction.
    void SetupControls();
    void SetupStatusBar();
    void ConnectImp();
    void CreateShortcuts();
    void CreateTimers();
    void SetMenusVisible(bool visible);
    void SetDeviceActionsEnabled(bool enabled);

    // Port.
    void OpenPort();
    void ClosePort();
    void ShowPortOpen();
    void ShowPortClosed();
    // The open port's adapter went away or the line hung up.
    void LosePort();
    void StepProgress();

    // Test items.
    void RunItem(const TestItem& item, const std::function<void()>& operation);
    bool OnAutomaticPage() const;
    bool SwitchOn(const char* key) const;
    int IntSetting(const char* key) const;
    bool FirmwareReady() const;

    // Countdowns and verdicts.
    // StopCountdown without emptying the countdown label.
    void StopTimers();
    void initTimer(int i);
    void ApplyTimeoutVerdict(int timer);
    void ApplyVerdict(const VerdictRule& rule, bool ok, const char* recordText);
    void ShowItemCount(int id);
    void ResetRecovery();
    void QuitAndPowerOff();
    // A run begins: its verdict starts at Pass and its file holds nothing
    // recorded before it.
    void BeginRunRecord();
    void StartFirstItem();
    void EndSequence();
    // Pass or NG of the panel; on red with ", not saved" while its records are not on disk.
    void ShowOverallVerdict(bool saved);
    // Runs `step` after the reply now being parsed is done, unless a newer
    // run, mode change or port switch has come in between.
    void Later(std::function<void()> step);
    void StartNewRun() { ++_runGeneration; }

    // Panels.
    void InitNormalTestUI();
    void InitAutoTestUI();
    void ResultLabelUnShown();
    // Every result label back to its wait text, the overall verdict emptied.
    void ShowWaitTexts();
    void StoreProgramWideTestValues();
    void AddManualButton(const QString& text, ItemSlot slot);
    QCheckBox* AddAutoCheckBox(int id, const QString& text, bool placed);
    void ReleaseCheckBoxes();
    static QString ItemName(int id);
    static QString WaitText(int id);

    // Dialogs.
    // The device's replies go to a dialog: the reader lets go of the port and
    // the running countdown stops, so nothing of the window talks meanwhile.
    void LendLink();
    // The reader takes the port back; a half line from before is stale.
    void TakeLinkBack();
    template <class Downloader>
    bool RunDownload(const std::string& kind);
    // The start-up of the open port again, with a fresh watch; on the
    // automatic page its slave report begins a run.
    void RestartFromOpenPort();
    void ShowWaitingResults();
    // True once the settings password has been given in this window.
    bool PasswordGiven();

    // Versions.
    // Starts a watch period of the version check, counted from its first tick.
    void StartVersionWatch();
    // Ends a running watch period without its check.
    void StopVersionWatch();
    // True while a start-up's watch period runs: its information is not all
    // in yet, though something may have cut it off.
    bool StartUpRunning() const;
    // True while the start-up, not cut off, still reads within its watch.
    bool StartUpReading() const;
    // An item is judged only against the information that this port session
    // read from its panel. Until that has come, `start` waits for it: a
    // start-up still reading brings it, otherwise the panel is asked again.
    bool PanelInformationReady(std::function<void()> start);
    // `runTest`: the held press is Run Test, which a start-up without a slave
    // does not drop.
    void HoldUntilPanelRead(std::function<void()> start, bool runTest = false);
    // The held press, emptied; none when something newer has come since.
    std::function<void()> TakeHeldStart();
    // The panel's information is in: what was pressed meanwhile starts.
    void ReleaseHeldStart();
    // The watch ended with "No FW": no information will come.
    void ReleaseHeldStartWithoutFirmware();
    // A quit inside the watch cut off the start-up: the panel is asked again.
    void AskAgainIfStartUpCutOff();
    void AskPanelAgain();
    static QString WrapVersion(const QString& version);
    bool MatchesSetting(const char* key, const char* version) const;
    void ShowSlaveCheck(const QString& verdict);

    Ui_ZeltoMP ui;
    morvex_gui_qtlib::DisplayView* _view = nullptr;
    morvex_gui_qtlib::QtWindowImp* _imp = nullptr;
    morvex_gui_qtlib::WidgetHolder* _widgets = nullptr;
    morvex_gui::CoreDevice* _device = nullptr;
    boost::shared_ptr<morvex_gui::State> _currentState;
    Settings* _settings = nullptr;
    morvex_gui_qtlib::PortToolBar* _portBar = nullptr;
    morvex_gui_qtlib::PortWatch* _portWatch = nullptr;
    morvex_gui_qtlib::FullScreenSwitch* _fullScreen = nullptr;
    QLabel* _statusLabel = nullptr;
    QLabel* _masterVersionLabel = nullptr;
    QLabel* _slaveVersionLabel = nullptr;
    QLabel* _xChannelsLabel = nullptr;
    QLabel* _yChannelsLabel = nullptr;
    QProgressBar* _progressBar = nullptr;
    QTimer* _timer0 = nullptr;
    QTimer* _timer1 = nullptr;
    QTimer* _versionTimer = nullptr;
    int _timeout = 0;
    int mode_flag = 0;
    int _versionTicks = 0;
    // The checkbox of each item id; boxes not placed in the list are owned
    // here, placed ones by the list.
    std::array<QPointer<QCheckBox>, kItemCount> _itemBoxes;
    std::vector<std::unique_ptr<QCheckBox> > _unplacedBoxes;
    QPointer<QCheckBox> _enterNormalCheckBox;
    bool _overallPass = true;
    // The slave check's verdict as this start-up or run gave it; empty while
    // the check waits.
    QString _slaveCheckVerdict;
    bool _noFirmware = false;
    // True once this port session's start-up has read the panel's CRC and
    // channel counts (the Y count ends them); false from each start-up on.
    bool _panelInformationRead = false;
    // What was pressed before the panel's information came; it starts then,
    // unless a run, item, mode change or port switch came in between.
    std::function<void()> _heldStart;
    unsigned _heldGeneration = 0;
    bool _heldRunTest = false;
    bool _passwordAccepted = false;
    // True while a countdown runs: only then does a scene's verdict count.
    bool _verdictArmed = false;
    // Bumped by every run, item start, mode change, port switch and deferred
    // step, so a deferred step of an earlier one never runs into a later one.
    unsigned _runGeneration = 0;
};
