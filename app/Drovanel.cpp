#include "Drovanel.h"

#include <QActionGroup>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QTimer>
#include <boost/make_shared.hpp>

#include "ChildProcesses.h"
#include "CloseState.h"
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
#include "TuneInitDevice.h"
#include "WidgetHolder.h"

namespace {

constexpr int kLineProgressMaximumHeight = 18;
constexpr int kLineProgressMaximumWidth = 60;
constexpr int kEngineeringListHeight = 360;
constexpr int kEngineeringFrameHeight = 400;

const char* const kTitleSuffix = " with tune";

}  // namespace

Drovanel::Drovanel(QWidget* parent, Qt::WindowFlags flags) : QMainWindow(parent, flags) {
    _process = new QProcess(this);
    ui.setupUi(this);
    ui.frame_backup->hide();
    CreateDevice();
    _recordLines = 0;
    SetInitialActions();
    setWindowTitle(windowTitle().remove(QLatin1String(kTitleSuffix)));
    _checkTimer = new QTimer(this);
    _checkTimer->setInterval(kCheckIntervalMs);
    _lineCount = 0;
    _checkTicks = 0;
    _currentParameter = 0;
    ui.controlPanel->setCurrentWidget(ui.commonPanel);
    ui.action_Stop->setChecked(false);
    ui.splitterEngineeringPanel->setSizes({kEngineeringListHeight, kEngineeringFrameHeight});
    InitToolBars();
    InitStatusLine();
    InitUserFunctions();
    InitI2cFunctions();
    ConnectControls();
    ConnectImp();
    ConnectRecording();
    ConnectOffsets();
    ConnectTuning();
    ConnectQualification();
    ConnectTools();
    SetCloseUI();
    StopCheckingUI();
    _portWatch = new morvex_gui_qtlib::PortWatch(_portBar, _device, this);
    connect(_portWatch, &morvex_gui_qtlib::PortWatch::OpenPortLost, this, &Drovanel::LosePort);
    showMaximized();
    LOG4CPLUS_INFO(OperationLogger(), "GUI start");
}

Drovanel::~Drovanel() {
    // The analysis script or a tool may still run; none may report to a
    // window that is going.
    morvex_gui_qtlib::EndChildProcesses(*this);
    _settings->Save(platform::ConfigFilePath().toLocal8Bit().constData());
    // A readyRead still on its way must not reach the freed port.
    _link.SetPort(nullptr);
    _device->close();
    morvex_gui_qtlib::DeleteAndClear(_device);
    morvex_gui_qtlib::DeleteAndClear(_imp);
    morvex_gui_qtlib::DeleteAndClear(_widgets);
    LogGuiExit();
    if (_recordFile.is_open()) {
        _recordFile.close();
    }
    _currentState.reset();
}

void Drovanel::CreateDevice() {
    _widgets = new morvex_gui_qtlib::WidgetHolder;
    _widgets->SetLog(ui.textBrowser);
    _view = _widgets->AddView(this, ui.layoutDisplay);
    _widgets->SetParameterWidgets(ui.lcdNumber, ui.listTuneParametersInfo, &_currentParameter);
    _imp = new morvex_gui_qtlib::QtWindowImp(_widgets);
    // The idle first state gets the GUI interface: after a direct open no
    // start-up sequence replaces it, and its first line clears the display.
    _currentState = boost::make_shared<morvex_gui::CloseState>(_imp);
    _settings = &_imp->_settings;
    _settings->Load(platform::ConfigFilePath().toLocal8Bit().constData());
    _settings->SetParameter(ConfigParameter("normal_xml_file", ""));
    _device = new morvex_gui::TuneInitDevice(_imp, &_currentState);
    _link.SetPort(_device);
    _link.Attach();
}

// Recording waits for an open port; the direct switch and the segment and
// offset actions stay out of sight.
void Drovanel::SetInitialActions() {
    ui.action_Record->setEnabled(false);
    ui.action_Direct_Mode->setVisible(false);
    ui.actionRecord_Segment->setVisible(false);
    ui.actionSave_Offset->setVisible(false);
    ui.actionRead_Offset->setVisible(false);
}

void Drovanel::InitToolBars() {
    _portBar = new morvex_gui_qtlib::PortToolBar(
        ui.mainToolBar, ui.actionOpen, {QStringLiteral("230400"), QStringLiteral("460800")}, this);
    ConfigParameter speed;
    if (_settings->GetParameter("port_bit_rate", speed)) {
        _portBar->ChooseSpeed(QString::fromStdString(speed.GetValue()));
    }
    _openAction = ui.actionOpen;

    auto* panels = new QActionGroup(this);
    panels->setExclusive(true);
    for (QAction* action : {ui.actionUserMode, ui.actionI2CMode, ui.actionTuneMode}) {
        panels->addAction(action);
        ui.modeToolBar->addAction(action);
    }
    ui.modeToolBar->addSeparator();
    connect(ui.actionUserMode, &QAction::toggled, this, &Drovanel::UserModeUI);
    connect(ui.actionI2CMode, &QAction::toggled, this, &Drovanel::I2cModeUI);
    connect(ui.actionReadOffset, &QAction::triggered, this, &Drovanel::UserReadOffset);

    connect(ui.actionTuneMode, &QAction::triggered, this, &Drovanel::EngineeringModeUI);

    InitUserToolBar();
    InitTuneToolBar();
    ui.utilityToolBar->addAction(ui.action_Record);
}

void Drovanel::InitStatusLine() {
    _readyLabel = new QLabel(QStringLiteral("Ready"), this);
    ui.statusBar->addWidget(_readyLabel, 1);
    _masterVersionLabel =
        morvex_gui_qtlib::AddStatusLabel(ui.statusBar, this, QStringLiteral("M-Ver.: "));
    _slaveVersionLabel =
        morvex_gui_qtlib::AddStatusLabel(ui.statusBar, this, QStringLiteral("S-Ver.: "));
    _eepromVersionLabel =
        morvex_gui_qtlib::AddStatusLabel(ui.statusBar, this, QStringLiteral("E-Ver.: "));
    _eepromVersionLabel->setToolTip(
        QStringLiteral("Read Eeprom Struct Version from EEP, if the color is red the eeprom "
                       "struct version is unmatched with APP."));
    _xChannelsLabel =
        morvex_gui_qtlib::AddStatusLabel(ui.statusBar, this, QStringLiteral("X-Ch.: "));
    _yChannelsLabel =
        morvex_gui_qtlib::AddStatusLabel(ui.statusBar, this, QStringLiteral("Y-Ch.: "));
    _lineProgress = new QProgressBar(this);
    _lineProgress->setRange(0, 100);
    _lineProgress->setValue(0);
    _lineProgress->setTextVisible(false);
    _lineProgress->setMaximumHeight(kLineProgressMaximumHeight);
    _lineProgress->setMaximumWidth(kLineProgressMaximumWidth);
    ui.statusBar->addWidget(_lineProgress);
    _overflowButton = new morvex_gui_qtlib::OverflowIndicator(this);
    _link.SetIndicator(_overflowButton);
    ui.statusBar->addWidget(_overflowButton);
    connect(_overflowButton, &QPushButton::clicked, this, &Drovanel::ClearOverflow);
}

void Drovanel::ConnectControls() {
    connect(_checkTimer, &QTimer::timeout, this, &Drovanel::StartReadPort);
    const std::pair<QPushButton*, void (Drovanel::*)()> buttons[] = {
        {ui.buttonEnter, &Drovanel::SetOpenUI},
        {ui.buttonReadRegister, &Drovanel::ReadControlRegister},
        {ui.buttonSetRegister, &Drovanel::UserSetRegister},
        {ui.buttonClearRegister, &Drovanel::UserClearRegister},
        {ui.buttonSetIntMode, &Drovanel::UserSetIntMode},
        {ui.buttonSetPowerMode, &Drovanel::UserSetPowerMode},
        {ui.buttonIntWidthSet, &Drovanel::UserSetIntWidth},
        {ui.buttonSleepFrequency, &Drovanel::UserSetSleepFrequency},
        {ui.buttonSleepDelay, &Drovanel::UserSetSleepDelay},
        {ui.buttonWriteSlave, &Drovanel::I2cWriteSlave},
        {ui.buttonReadSlave, &Drovanel::I2cReadSlave},
        {ui.buttonSetTime, &Drovanel::I2cSetTimeOut},
    };
    for (const auto& [button, slot] : buttons) {
        connect(button, &QPushButton::clicked, this, slot);
    }
    _fullScreen = new morvex_gui_qtlib::FullScreenSwitch(this, _view, ui.actionFullScreen,
                                                         ui.actionDisplayFullScreen);
    connect(ui.actionClear, &QAction::triggered, this, &Drovanel::Clear);
    connect(ui.action_Stop, &QAction::triggered, this, &Drovanel::ViewStop);
    connect(ui.actionExtraDisplay, &QAction::triggered, this, &Drovanel::SetExtraDisplay);
    connect(ui.actionOpen, &QAction::triggered, this, &Drovanel::SwitchPort);
    connect(ui.action_Direct_Mode, &QAction::triggered, this, &Drovanel::SwitchPortDirect);
    connect(ui.actionTuning_Mode, &QAction::toggled, this, &Drovanel::EnterTuningState,
            Qt::UniqueConnection);
    connect(ui.actionDrawing_Mode, &QAction::toggled, this, &Drovanel::EnterDrawingState,
            Qt::UniqueConnection);
}

void Drovanel::ConnectImp() {
    using morvex_gui_qtlib::QtWindowImp;
    connect(_imp, &QtWindowImp::SignalMasterVersion, this, &Drovanel::DisplayMasterVersion);
    connect(_imp, &QtWindowImp::SignalReadMasterVersion, this, &Drovanel::ReadMasterVersion);
    connect(_imp, &QtWindowImp::SignalSlaveVersion, this, &Drovanel::DisplaySlaveVersion);
    connect(_imp, &QtWindowImp::SignalElectrodesX, this, &Drovanel::DisplayElectrodesX);
    connect(_imp, &QtWindowImp::SignalElectrodesY, this, &Drovanel::DisplayElectrodesY);
    connect(_imp, &QtWindowImp::SignalEepromStructVersion, this,
            &Drovanel::DisplayEepromStructVersion);
    connect(_imp, &QtWindowImp::SignalCheckInformationTimeOut, this,
            &Drovanel::CheckInformationTimeOut);
    connect(_imp, &QtWindowImp::SignalStopRecord, this, &Drovanel::StopRecord);
}
