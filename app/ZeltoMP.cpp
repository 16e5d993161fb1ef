#include "ZeltoMP.h"

#include <QActionGroup>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

#include "CloseState.h"
#include "CoreDevice.h"
#include "DeleteAndClear.h"
#include "DisplayView.h"
#include "FullScreenSwitch.h"
#include "OperationLog.h"
#include "OverflowIndicator.h"
#include "PortToolBar.h"
#include "PortWatch.h"
#include "ProgramPaths.h"
#include "QtWindowImp.h"
#include "Settings.h"
#include "StatusCaption.h"
#include "StringConvert.h"
#include "WidgetHolder.h"

namespace {

constexpr int kVersionCheckIntervalMs = 500;
constexpr int kProgressBarMaximumHeight = 18;
constexpr int kProgressBarMaximumWidth = 60;

}  // namespace

ZeltoMP::ZeltoMP(QWidget* parent) : QtSerialPortWindow(parent, Qt::WindowFlags()) {
    ui.setupUi(this);
    setContextMenuPolicy(Qt::NoContextMenu);
    // The test pages, the mode tool bar and the Mode and Control menus only
    // appear while the port is open.
    ui.stackedWidget->hide();
    ui.mode_toolBar->hide();
    SetMenusVisible(false);
    CreateDevice();
    SetupControls();
    InitNormalTestUI();
    InitAutoTestUI();
    SetupStatusBar();
    ui.dockWidget_2->hide();
    SetDeviceActionsEnabled(false);
    ConnectImp();
    CreateShortcuts();
    setWindowTitle(windowTitle().replace(QStringLiteral("Series"), QStringLiteral("C")));
    _versionTicks = 0;
    _noFirmware = false;
    _passwordAccepted = false;
    CreateTimers();
    _portWatch = new morvex_gui_qtlib::PortWatch(_portBar, _device, this);
    connect(_portWatch, &morvex_gui_qtlib::PortWatch::OpenPortLost, this, &ZeltoMP::LosePort);
    showMaximized();
    LOG4CPLUS_INFO(OperationLogger(), "GUI start");
}

ZeltoMP::~ZeltoMP() {
    _settings->Save(platform::ConfigFilePath().toLocal8Bit().constData());
    _imp->SaveResultsBeforeClose();
    _device->Close();
    // A readyRead still queued for this window must not reach the freed port.
    SetPortDevice(nullptr);
    morvex_gui_qtlib::DeleteAndClear(_device);
    morvex_gui_qtlib::DeleteAndClear(_imp);
    morvex_gui_qtlib::DeleteAndClear(_widgets);
    LogGuiExit();
    _currentState.reset();
}

void ZeltoMP::CreateDevice() {
    _widgets = new morvex_gui_qtlib::WidgetHolder;
    _widgets->SetLog(ui.textBrowser);
    _view = _widgets->AddView(this, ui.displayFrame->layout());
    _imp = new morvex_gui_qtlib::QtWindowImp(_widgets);
    // The first idle state gets the GUI interface too, so a stray line can
    // never reach a state without one.
    _currentState.reset(new morvex_gui::CloseState(_imp));
    _settings = &_imp->_settings;
    _settings->Load(platform::ConfigFilePath().toLocal8Bit().constData());
    _device = new morvex_gui::CoreDevice(_imp, &_currentState);
    SetPortDevice(_device);
}

void ZeltoMP::SetupControls() {
    _portBar = new morvex_gui_qtlib::PortToolBar(
        ui.mainToolBar, ui.actionOpen, {QStringLiteral("230400"), QStringLiteral("460800")}, this);
    ConfigParameter bitRate;
    if (_settings->GetParameter("port_bit_rate", bitRate)) {
        _portBar->ChooseSpeed(QString::fromStdString(bitRate.GetValue()));
    }
    auto* modes = new QActionGroup(this);
    modes->setExclusive(true);
    modes->addAction(ui.actionNormal_Mode);
    modes->addAction(ui.actionAutoTest_Mode);
    ui.stackedWidget->setCurrentWidget(ui.normal_page);
    ui.mode_toolBar->addAction(ui.actionNormal_Mode);
    ui.mode_toolBar->addAction(ui.actionAutoTest_Mode);
    connect(ui.actionNormal_Mode, &QAction::triggered, this, &ZeltoMP::ChangeTestMode);
    connect(ui.actionAutoTest_Mode, &QAction::triggered, this, &ZeltoMP::ChangeTestMode);
    ui.mode_toolBar->addSeparator();
    ui.mode_toolBar->addAction(ui.actionSlaveDownload);
    ui.mode_toolBar->addAction(ui.actionCalibrate);
    connect(ui.actionCalibrate, &QAction::triggered, this, &ZeltoMP::StartCalibrate);
    connect(ui.actionSlaveDownload, &QAction::triggered, this, &ZeltoMP::SlaveDownload);
    connect(ui.actionMasterDownload, &QAction::triggered, this, &ZeltoMP::MasterDownload);
    connect(ui.actionOpen, &QAction::triggered, this, &ZeltoMP::SwitchPort);
}

void ZeltoMP::SetupStatusBar() {
    _statusLabel = new QLabel(QStringLiteral("Ready"), this);
    ui.statusBar->addWidget(_statusLabel, 1);
    _masterVersionLabel =
        morvex_gui_qtlib::AddStatusLabel(ui.statusBar, this, QStringLiteral("M-Ver.: "));
    _slaveVersionLabel =
        morvex_gui_qtlib::AddStatusLabel(ui.statusBar, this, QStringLiteral("S-Ver.: "));
    _xChannelsLabel =
        morvex_gui_qtlib::AddStatusLabel(ui.statusBar, this, QStringLiteral("X-Ch.: "));
    _yChannelsLabel =
        morvex_gui_qtlib::AddStatusLabel(ui.statusBar, this, QStringLiteral("Y-Ch.: "));
    _progressBar = new QProgressBar(this);
    _progressBar->setTextVisible(false);
    _progressBar->setRange(0, 100);
    _progressBar->setValue(0);
    _progressBar->setMaximumHeight(kProgressBarMaximumHeight);
    _progressBar->setMaximumWidth(kProgressBarMaximumWidth);
    ui.statusBar->addWidget(_progressBar);
    SetOverflowIndicator(new morvex_gui_qtlib::OverflowIndicator(this));
    ui.statusBar->addWidget(_overflowButton);
    connect(_overflowButton, &QPushButton::clicked, this, &ZeltoMP::ClearOverflow);
}

void ZeltoMP::ConnectImp() {
    using morvex_gui_qtlib::QtWindowImp;
    connect(_imp, &QtWindowImp::SignalReadMasterVersion, this, &ZeltoMP::ReadMasterVersion);
    connect(_imp, &QtWindowImp::SignalMasterVersion, this, &ZeltoMP::DisplayMasterVersion);
    connect(_imp, &QtWindowImp::SignalSlaveVersion, this, &ZeltoMP::DisplaySlaveVersion);
    connect(_imp, &QtWindowImp::SignalSlaveCrc, this, &ZeltoMP::DisplaySlaveCrc);
    connect(_imp, &QtWindowImp::SignalElectrodesX, this, &ZeltoMP::DisplayElectrodesX);
    connect(_imp, &QtWindowImp::SignalElectrodesY, this, &ZeltoMP::DisplayElectrodesY);
    connect(_imp, &QtWindowImp::SignalFlushButtonStatus, this, &ZeltoMP::initButtonStatus);
    connect(_imp, &QtWindowImp::SignalStartTimer, this, &ZeltoMP::startTimer);
    connect(_imp, &QtWindowImp::SignalDeviceOff, this, &ZeltoMP::DeviceOff);
    _fullScreen = new morvex_gui_qtlib::FullScreenSwitch(this, _view, ui.actionFullScreen,
                                                         ui.actionDisplayFullScreen);
    connect(ui.actionAbout, &QAction::triggered, this, &ZeltoMP::About);
    connect(ui.actionDefault, &QAction::triggered, this, &ZeltoMP::SetDefaultSettings);
    connect(ui.actionClear, &QAction::triggered, this, &ZeltoMP::Clear);
    connect(ui.actionThresholdSetting, &QAction::triggered, this, &ZeltoMP::ThresholdSetting);
    connect(ui.actionWithOffset, &QAction::triggered, this, &ZeltoMP::UserWithOffset);
    // The verdict slot is connected once; a countdown arms it (see initTimer).
    connect(_view, qOverload<bool>(&morvex_gui_qtlib::DisplayView::testResult), this,
            &ZeltoMP::ResultTimer);
    connect(ui.autotest_pushButton, &QPushButton::clicked, this, &ZeltoMP::AutoTest);
}

void ZeltoMP::CreateShortcuts() {
    const std::pair<Qt::Key, ItemSlot> windowShortcuts[] = {
        {Qt::Key_D, &ZeltoMP::Debug}, {Qt::Key_N, &ZeltoMP::Normal}, {Qt::Key_R, &ZeltoMP::Raster}};
    for (const auto& entry : windowShortcuts) {
        auto* shortcut = new QShortcut(QKeySequence(entry.first), this);
        shortcut->setContext(Qt::WindowShortcut);
        // On the automatic page the item slots are links of the sequence: a key
        // there would jump over items or end the run with a verdict of items
        // that never ran.
        connect(shortcut, &QShortcut::activated, this, [this, slot = entry.second] {
            if (!OnAutomaticPage()) {
                (this->*slot)();
            }
        });
    }
}

void ZeltoMP::CreateTimers() {
    _versionTimer = new QTimer(this);
    _versionTimer->setInterval(kVersionCheckIntervalMs);
    connect(_versionTimer, &QTimer::timeout, this, &ZeltoMP::VersionCheck);
    ui.countdown_label->setText(QString());
    _timer0 = new QTimer(this);
    _timer1 = new QTimer(this);
    connect(_timer0, &QTimer::timeout, this, &ZeltoMP::TimerTrigger);
    connect(_timer1, &QTimer::timeout, this, &ZeltoMP::TimerTrigger);
}

void ZeltoMP::SetMenusVisible(bool visible) {
    ui.menuMode->menuAction()->setVisible(visible);
    ui.menuControl->menuAction()->setVisible(visible);
}

void ZeltoMP::SetDeviceActionsEnabled(bool enabled) {
    ui.actionSlaveDownload->setEnabled(enabled);
    ui.actionMasterDownload->setEnabled(enabled);
    ui.actionCalibrate->setEnabled(enabled);
    ui.actionWithOffset->setEnabled(enabled);
}

void ZeltoMP::ResetLabels() {
    morvex_gui_qtlib::ShowStatusReading(_masterVersionLabel, QStringLiteral("M-Version: "), " ");
    morvex_gui_qtlib::ShowStatusReading(_slaveVersionLabel, QStringLiteral("S-Version: "), " ");
    morvex_gui_qtlib::ResetChannelLabels(_xChannelsLabel, _yChannelsLabel);
    ui.master_label->setText(QString());
    ui.slave_label->setText(QString());
    ui.FwCrc_label->setText(QString());
    _slaveCheckVerdict.clear();
    StopCountdown();
}

void ZeltoMP::StopCountdown() {
    StopTimers();
    ui.countdown_label->setText(QString());
}

void ZeltoMP::StopTimers() {
    if (_timer1->isActive()) {
        _timer1->stop();
    }
    if (_timer0->isActive()) {
        _timer0->stop();
    }
    _verdictArmed = false;
}

void ZeltoMP::DeviceOff() {
    _device->PowerOff();
}

void ZeltoMP::UserCheckSlaveCrc() {
    _device->UserReadslaveCrc();
}

void ZeltoMP::initButtonStatus() {
    // The button count comes in the same information block as the slave
    // version: rebuilding the lists must not take back the verdict just given.
    const QString slaveCheck =
        ui.normal_label->text() == _slaveCheckVerdict ? _slaveCheckVerdict : QString();
    InitNormalTestUI();
    InitAutoTestUI();
    if (!slaveCheck.isEmpty()) {
        ShowSlaveCheck(slaveCheck);
    }
}

void ZeltoMP::Clear() {
    LOG4CPLUS_INFO(OperationLogger(), "Display clear");
    _imp->Clear();
    ClearOverflow();
}

void ZeltoMP::ClearOverflow() {
    _overflowButton->Clear();
    _view->setFocus(Qt::OtherFocusReason);
}

void ZeltoMP::SwitchFullScreen(bool full) {
    _fullScreen->SwitchWindow(full);
}

void ZeltoMP::DisplayFullScreen(bool full) {
    _fullScreen->SwitchView(full);
}

void ZeltoMP::DisableFullScreen() {
    _fullScreen->Leave();
}

void ZeltoMP::Normal() {
    if (ui.dockWidget_2->isVisible()) {
        ui.dockWidget_2->hide();
    }
    const bool on = IntSetting("ModeSwitch/normal_mode") != 0;
    if (!_portBar->IsOpen() || !on || !FirmwareReady()) {
        return;
    }
    StopCountdown();
    _device->PowerOn();
    _device->NormalState();
}

int ZeltoMP::IntSetting(const char* key) const {
    return StringToInt(_settings->GetValue(key));
}

bool ZeltoMP::SwitchOn(const char* key) const {
    return IntSetting(key) != 0;
}

bool ZeltoMP::FirmwareReady() const {
    return !_noFirmware && !ui.slave_label->text().isEmpty();
}
