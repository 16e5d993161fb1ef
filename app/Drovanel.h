#pragma once

#include <QMainWindow>
#include <QProcess>
#include <boost/shared_ptr.hpp>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "PortLink.h"
#include "WindowPiecesFwd.h"
#include "ui_Drovanel.h"

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class Settings;

namespace morvex_gui {
class State;
class TuneInitDevice;
}  // namespace morvex_gui

// The engineer's bench window: opens the bridge's port, checks the bridge and
// the controller's EEPROM structure version, and offers the display modes,
// the user, I2C and tune panels, recording of reply lines, qualification
// logging and the download, calibration and configuration tools. It keeps
// its own read loop: every complete reply line goes to the response state
// that is current when the line comes up.
//
// The implementation is split by concern: Drovanel.cpp (construction and
// destruction), DrovanelPort.cpp (port, reading, adapter changes),
// DrovanelStatus.cpp (version check, status line, layouts), DrovanelModes.cpp
// (display modes and view), DrovanelPanels.cpp (user and I2C panels),
// DrovanelRecord.cpp (recording and the record viewer), DrovanelOffsets.cpp
// (offset and segment files), DrovanelTuning.cpp and DrovanelTuneHelp.cpp
// (the tune panel), DrovanelQualify.cpp (qualification logging),
// DrovanelTools.cpp (the dialogs that take the link over, external tools).
class Drovanel : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kCheckIntervalMs = 100;
    // The version check gives up on the tick after this many.
    static constexpr int kCheckTicks = 99;
    // A record holds at most this many reply lines.
    static constexpr int kRecordLineLimit = 10000;

    explicit Drovanel(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
    ~Drovanel() override;

signals:
    // The open port's adapter went away; dialogs that read the port close.
    void SignalDeviceDisconnect();

public slots:
    // Port, reading, version check and status line.
    void SwitchPort(bool on);
    void SwitchPortDirect(bool on);
    void ReadSerialPort();
    void StartReadPort();
    void SetOpenUI();
    void CheckInformationTimeOut();
    void ReadMasterVersion(const char* version);
    void DisplayMasterVersion(const char* version);
    void DisplaySlaveVersion(const char* version);
    void DisplayElectrodesX(const char* count);
    void DisplayElectrodesY(const char* count);
    void DisplayEepromStructVersion(std::string version, bool match);
    void ClearOverflow();
    void Rate();
    void ProgressStatusLog();
    void StopRecord();
    void ReadControlRegister();
    void changeRawdataFlags(int index);
    void SetDebugUI(bool on);
    // Stand in for the device-change messages: the platform's watcher calls
    // them when a serial adapter comes or goes.
    void DeviceArrival();
    void DeviceRemoval();

    // Display modes and view.
    void DisableFullScreen();
    void DisplayFullScreen(bool on);
    void SwitchFullScreen(bool on);
    void Clear();
    void ViewStop(bool on);
    void SetExtraDisplay();
    void normal();
    void normalFlag();
    void debug();
    void raster();
    void rasterLiftY();
    void PictureView();
    void EnterPenMode();
    void EnterDrawingState(bool on);
    void EnterTuningState(bool on);

    // User panel.
    void UserModeUI(bool checked);
    void UserReadEeprom();
    void UserReadButtons();
    void UserReadButtonRawData();
    void UserCheckMasterVersion();
    void UserCheckSlaveVersion();
    void UserCheckSlaveCrc();
    void UserReadOffset();
    void UserWithOffset(int state);
    void UserAlgorithm(int state);
    void UserSensitivity(int state);
    void UserCoordinates(int state);
    void UserSynchronize(int state);
    void UserHighLow(int state);
    void UserSetRegister();
    void UserClearRegister();
    void UserSetIntMode();
    void UserSetPowerMode();
    void UserSetIntWidth();
    void UserSetSleepFrequency();
    void UserSetSleepDelay();
    void UserReadEepromStructVersion();

    // I2C panel.
    void I2cModeUI(bool checked);
    void I2cResetPulse();
    void ReadSlaveBootloaderInfo();
    void I2cSendReset();
    void I2cWriteSlave();
    void I2cReadSlave();
    void I2cSetTimeOut();

    // Tuning of the EEPROM parameters.
    void EngineeringModeUI(bool checked);
    void SelectPreviousParameter();
    void SelectNextParameter();
    void ChangeModeForParameter(int row);
    void IncreaseParameter();
    void IncreaseTenParameter();
    void DecreaseParameter();
    void DecreaseTenParameter();
    void ScanParameters();
    void RefreshAllParameters();
    void DrawEffect();
    void ApplyTuning();
    void FinishTuning();

private slots:
    // Recording of reply lines and the record viewer.
    void DataRecord(bool checked);
    void DataRecordView();

    // Offset files and record segments.
    void SaveOffset(bool checked);
    void LoadOffset(bool checked);
    void StartRecordSegment(bool checked);
    void RecordSegment(const char* segment);

    // Qualification logging.
    void Qualification();
    void ProcessFinish(int exitCode, QProcess::ExitStatus exitStatus);

    // Dialogs and external tools.
    void StartCalibrate();
    void About();
    void SetDefaultSettings();
    void StartZeltoConfig();
    void StartKvrDownload();
    void SlaveConfigFail(QProcess::ProcessError error);
    void StartKvrDownloadFail(QProcess::ProcessError error);
    void RequestMasterDownload();
    void MasterDownload();
    void SlaveDownload();

protected:
    // Builds the working set: widget record, first state, view, GUI
    // interface, settings and device.
    virtual void CreateDevice();

private:
    // Construction.
    void SetInitialActions();
    void InitToolBars();
    void InitUserToolBar();
    void InitStatusLine();
    void InitUserFunctions();
    void InitI2cFunctions();
    // A user-panel read: the flags combo goes, the operation log names it and
    // the device runs it.
    void RunUserRead(const char* what, void (morvex_gui::TuneInitDevice::*read)());
    void ConnectControls();
    void ConnectImp();

    // Port and reading.
    bool OpenDirect(const QString& port);
    void ShowOpenFailure();
    // The open port's adapter went away or the line hung up.
    void LosePort();
    void CountReplyLine(const std::string& line);

    // Layouts.
    void StartCheckingUI();
    void StopCheckingUI();
    void ClearStatusLine();
    void SetCloseUI();
    void EnterTunePanel();
    void SetModeActionsEnabled(bool enabled);
    void SetFlagsVisible(bool show);
    void HideTuneControls();
    void ShowControlPage(QWidget* page, const char* title);

    // Display modes.
    void PrepareFlags(bool shown);
    void RefillFlags(bool fullList);
    void ShowDisplay(const char* what, void (morvex_gui::TuneInitDevice::*enter)(), bool flagsShown,
                     bool fullList);

    // Panels.
    static QString TwoDigits(const QComboBox* high, const QComboBox* low);
    static QString HexByte(int value);
    void SendCheckCommand(int state, const char* checkedLog, const char* checkedCommand,
                          const char* uncheckedLog, const char* uncheckedCommand);

    // Recording.
    void ConnectRecording();
    // Writes one reply line to the running record and stops it at its limit.
    void RecordReplyLine(const std::string& line);
    void EndFailedRecord(const char* reason);
    // A file that could not be written while a reply line was handled.
    void WarnFileFailureLater(const QString& title, const QString& message);
    void StartRecord();
    void SetRecordActionText(const QString& text);

    // Offsets and segments.
    void ConnectOffsets();
    QString AskOffsetFile(const char* caption, bool save, const char* startKey);
    template <class Downloader>
    bool RunDownload(const std::string& kind);
    void ArmSegmentFile(QAction* action, const char* caption, const char* startKey,
                        const char* fileKey, bool* pending);
    void WritePendingSegment(const char* fileKey, const char* segment);
    bool ReadOffsetFile(const QString& path);

    // Tuning.
    void InitTuneToolBar();
    void ConnectTuning();
    static QString TuneHelpText(int row);
    void ShowTuneHelp(int row);
    void StepParameter(const char* logLine, bool increase, int step);
    void SetStepButtonsEnabled(bool enabled);
    bool PrepareTuneImages(const QString& firmwareLine);
    bool RunTuneDownload();
    void RunTuningStart();
    void RestartBridge();
    std::map<std::string, std::string> TunedValues() const;
    // Makes `file` the pattern under tuning; false when the working copy
    // could not take it (the operator has been told).
    bool StoreTuneXml(const QString& file);
    bool EnsureWorkingCopy();
    bool ReplaceWorkingCopy(const QString& pattern);
    void WarnCopyFailed(const QString& error);
    void RemoveMixedImages(const QString& firmwareLine, const QString& error);

    // Qualification.
    void ConnectQualification();
    bool WriteAnalysisScript(const QString& logFile);
    void RunAnalysisScript();
    void RestoreSpiSpeeds();
    void ShowScriptFailure(const QString& text);

    // Dialogs and external tools.
    void ConnectTools();
    // Calibrates the panel, or only reads and shows its offsets.
    void RunCalibrateDialog(bool calibrate);
    void RestoreMode();
    void RestartAfterDownload();
    void StartTool(const char* program, void (Drovanel::*failure)(QProcess::ProcessError));

    morvex_gui_qtlib::DisplayView* _view = nullptr;
    morvex_gui_qtlib::QtWindowImp* _imp = nullptr;
    morvex_gui_qtlib::WidgetHolder* _widgets = nullptr;
    Ui::DrovanelClass ui;
    QProcess* _process = nullptr;
    morvex_gui::TuneInitDevice* _device = nullptr;
    boost::shared_ptr<morvex_gui::State> _currentState;
    Settings* _settings = nullptr;
    QAction* _openAction = nullptr;
    QAction* _normalAction = nullptr;
    QAction* _debugAction = nullptr;
    QAction* _rasterAction = nullptr;
    morvex_gui_qtlib::PortToolBar* _portBar = nullptr;
    morvex_gui_qtlib::PortWatch* _portWatch = nullptr;
    morvex_gui_qtlib::FullScreenSwitch* _fullScreen = nullptr;
    QLabel* _readyLabel = nullptr;
    QLabel* _masterVersionLabel = nullptr;
    QLabel* _slaveVersionLabel = nullptr;
    QLabel* _xChannelsLabel = nullptr;
    QLabel* _yChannelsLabel = nullptr;
    QLabel* _eepromVersionLabel = nullptr;
    QProgressBar* _lineProgress = nullptr;
    bool _tuningApplied = false;
    int _currentParameter = 0;
    int _lineCount = 0;
    QTimer* _checkTimer = nullptr;
    int _checkTicks = 0;
    int _recordLines = 0;
    std::ofstream _recordFile;
    QString _recordPath;
    morvex_gui_qtlib::OverflowIndicator* _overflowButton = nullptr;
    morvex_gui_qtlib::PortLink _link{this, [this] { ReadSerialPort(); }};
    bool _offsetPending = false;
    bool _segmentPending = false;
};
