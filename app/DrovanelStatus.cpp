#include <QDockWidget>
#include <QGraphicsTextItem>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QTimer>

#include "DisplayView.h"
#include "Drovanel.h"
#include "OperationLog.h"
#include "QtWindowImp.h"
#include "Settings.h"
#include "StatusCaption.h"
#include "TuneInitDevice.h"

namespace {

constexpr int kProgressSteps = 100;

// The bridge's version number alone: what follows the last "V" of a version
// text such as "ABC BV5.3" or "BV5.3" (the whole text when it holds no "V").
// "Master_version" keeps this number: the display modes and the downloads
// compare it with 5.9, and a full text would read as 0 there.
std::string VersionNumber(const std::string& version) {
    const size_t letter = version.rfind('V');
    if (letter == std::string::npos || letter + 1 >= version.size()) {
        return version;
    }
    return version.substr(letter + 1);
}

}  // namespace

// ---- version check -------------------------------------------------------

void Drovanel::DisplayMasterVersion(const char* version) {
    const std::string text = version != nullptr ? version : "";
    _device->GetEepromInformation();
    StartCheckingUI();
    morvex_gui_qtlib::ShowStatusReading(_masterVersionLabel, QStringLiteral("M-Version: "),
                                        text.c_str());
    _settings->SetParameter(ConfigParameter("Master_version", VersionNumber(text)));
}

void Drovanel::StartCheckingUI() {
    SetModeActionsEnabled(true);
    _checkTicks = 0;
    ui.labelEnter->hide();
    ui.buttonEnter->hide();
    ui.buttonMasterDownload->hide();
    ui.buttonSlaveDownload->hide();
    _checkTimer->start();
    ui.progressChecking->setValue(0);
    ui.labelChecking->show();
    ui.progressChecking->show();
}

void Drovanel::StopCheckingUI() {
    _checkTimer->stop();
    ui.progressChecking->setValue(0);
    ui.labelChecking->hide();
    ui.progressChecking->hide();
}

void Drovanel::StartReadPort() {
    if (_checkTicks >= kCheckTicks) {
        _checkTimer->stop();
        ui.labelEnter->show();
        ui.buttonEnter->show();
        ui.buttonMasterDownload->show();
        ui.buttonSlaveDownload->show();
        SetModeActionsEnabled(false);
    } else {
        ++_checkTicks;
    }
    ui.progressChecking->setValue((ui.progressChecking->value() + 1) % kProgressSteps);
}

void Drovanel::DisplayEepromStructVersion(std::string version, bool match) {
    if (!match) {
        QMessageBox::warning(nullptr, tr("Error..."),
                             tr("The version of firmware and eeprom not matched, Please download "
                                "a correct vmx file."),
                             QMessageBox::Ok);
        _eepromVersionLabel->setText(
            QStringLiteral("<FONT COLOR=green>E-Version: </FONT><FONT COLOR=red>error</FONT>"));
        LOG4CPLUS_INFO(OperationLogger(), "Eeprom version checking exit");
        SetModeActionsEnabled(false);
        return;
    }
    morvex_gui_qtlib::ShowStatusReading(_eepromVersionLabel, QStringLiteral("E-Version: "),
                                        version.c_str());
    // Read before the user panel is checked: the panels' actions are one
    // exclusive group, so checking the user panel unchecks the tune panel.
    const bool tuning = ui.actionTuneMode->isChecked();
    _device->SendZ();
    SetOpenUI();
    if (tuning) {
        EnterTunePanel();
    }
}

void Drovanel::SetOpenUI() {
    StopCheckingUI();
    _lineCount = 0;
    ui.actionUserMode->setChecked(true);
    ui.modeToolBar->show();
    _currentParameter = 0;
    ui.listTuneParameters->setCurrentRow(0);
    ui.controlPanel->show();
    ui.menuMode->menuAction()->setVisible(true);
    ui.menuControl->menuAction()->setVisible(true);
    for (QAction* action :
         {ui.actionCalibrate, ui.actionReadOffset, ui.actionSlaveDownload, ui.actionMasterDownload,
          ui.actionUserMode, ui.actionI2CMode, ui.actionTuneMode}) {
        action->setEnabled(true);
    }
    ui.actionTuneMode->setVisible(false);
}

void Drovanel::CheckInformationTimeOut() {
    QMessageBox::warning(nullptr, tr("Error..."),
                         tr("Can't read EEPROM information, please check the connection of slave "
                            "and download the correct vmx file."),
                         QMessageBox::Ok);
}

void Drovanel::EnterTunePanel() {
    LOG4CPLUS_INFO(OperationLogger(), "Enter tune mode");
    StopCheckingUI();
    _tuningApplied = false;
    ui.actionTuneMode->setChecked(true);
    // Checking the tuning state here only shows it; it must not run the switch.
    disconnect(ui.actionTuning_Mode, &QAction::toggled, this, &Drovanel::EnterTuningState);
    ui.actionTuning_Mode->setChecked(true);
    connect(ui.actionTuning_Mode, &QAction::toggled, this, &Drovanel::EnterTuningState,
            Qt::UniqueConnection);
    ui.menuUser->menuAction()->setVisible(false);
    ui.userToolBar->hide();
    ui.comboFlags->hide();
    ui.menuTune->menuAction()->setVisible(true);
    ui.tuneToolBar->show();
    ui.dockWidgetInformation->show();
    ui.actionUserMode->setEnabled(false);
    ui.actionI2CMode->setEnabled(false);
    ui.actionCalibrate->setEnabled(true);
    ui.actionReadOffset->setEnabled(true);
    ui.dockWidget->setWindowTitle(tr("Tune Panel"));
    ui.controlPanel->setCurrentWidget(ui.engineeringPanel);
    ui.listTuneParameters->setFocus();
    RefreshAllParameters();
}

// ---- status line ------------------------------------------------------------

void Drovanel::ReadMasterVersion(const char* version) {
    const std::string text = version != nullptr ? version : "";
    morvex_gui_qtlib::ShowStatusReading(_masterVersionLabel, QStringLiteral("M-Version: "),
                                        text.c_str());
    _settings->SetParameter(ConfigParameter("Master_version", VersionNumber(text)));
}

void Drovanel::DisplaySlaveVersion(const char* version) {
    morvex_gui_qtlib::ShowStatusReading(_slaveVersionLabel, QStringLiteral("S-Version: "), version);
}

void Drovanel::DisplayElectrodesX(const char* count) {
    morvex_gui_qtlib::ShowStatusReading(_xChannelsLabel, QStringLiteral("X-Ch.: "), count);
}

void Drovanel::DisplayElectrodesY(const char* count) {
    morvex_gui_qtlib::ShowStatusReading(_yChannelsLabel, QStringLiteral("Y-Ch.: "), count);
}

void Drovanel::ClearStatusLine() {
    morvex_gui_qtlib::ShowStatusReading(_masterVersionLabel, QStringLiteral("M-Version: "), " ");
    morvex_gui_qtlib::ShowStatusReading(_slaveVersionLabel, QStringLiteral("S-Version: "), " ");
    morvex_gui_qtlib::ShowStatusReading(_eepromVersionLabel, QStringLiteral("E-Version: "), " ");
    morvex_gui_qtlib::ResetChannelLabels(_xChannelsLabel, _yChannelsLabel);
}

// The caption shows how many reply lines came in since the last call.
void Drovanel::Rate() {
    const int lines = _lineCount;
    _lineCount = 0;
    if (QGraphicsTextItem* caption = _view->TextItem()) {
        caption->setHtml(QStringLiteral("<FONT COLOR=GREEN>%1</FONT>").arg(lines));
    }
}

void Drovanel::ProgressStatusLog() {
    ui.textBrowser->append(QString::fromLocal8Bit(_process->readAllStandardError()));
    ui.textBrowser->append(QString::fromLocal8Bit(_process->readAllStandardOutput()));
}

void Drovanel::StopRecord() {
    ui.action_Record->setChecked(false);
}

void Drovanel::ReadControlRegister() {
    _device->ReadControlRegister();
}

void Drovanel::changeRawdataFlags(int index) {
    _device->ChangeRawdataFlags(index);
}

void Drovanel::SetDebugUI(bool) {}

// ---- layouts ----------------------------------------------------------------

void Drovanel::SetModeActionsEnabled(bool enabled) {
    for (QAction* action : {ui.actionNormal, ui.actionDebug, ui.actionRaster, ui.actionRaster_LiftY,
                            ui.action_Picture_View}) {
        action->setEnabled(enabled);
    }
}

void Drovanel::SetCloseUI() {
    _offsetPending = false;
    _segmentPending = false;
    ui.actionRecord_Segment->setChecked(false);
    ui.actionSave_Offset->setChecked(false);
    _imp->StartCommon();
    _imp->ClearAll();
    ui.labelEnter->hide();
    ui.buttonEnter->hide();
    ui.buttonMasterDownload->hide();
    ui.buttonSlaveDownload->hide();
    ui.dockWidget->setWindowTitle(tr("Contral Panel"));
    ui.dockWidget->show();
    ui.controlPanel->setCurrentWidget(ui.commonPanel);
    for (QMenu* menu : {ui.menuMode, ui.menuTune, ui.menuUser, ui.menuControl}) {
        menu->menuAction()->setVisible(false);
    }
    ui.tuneToolBar->hide();
    ui.dockWidgetInformation->hide();
    ui.userToolBar->hide();
    ui.modeToolBar->hide();
    ui.comboFlags->hide();
    ui.actionUserMode->setChecked(false);
    for (QAction* action :
         {ui.actionCalibrate, ui.actionReadOffset, ui.actionSlaveDownload, ui.actionMasterDownload,
          ui.actionUserMode, ui.actionI2CMode, ui.actionTuneMode}) {
        action->setEnabled(false);
    }
    ui.actionTuneMode->setVisible(false);
    ClearStatusLine();
}

void Drovanel::HideTuneControls() {
    ui.menuTune->menuAction()->setVisible(false);
    ui.tuneToolBar->hide();
    ui.dockWidgetInformation->hide();
}

void Drovanel::ShowControlPage(QWidget* page, const char* title) {
    ui.dockWidget->show();
    ui.controlPanel->setCurrentWidget(page);
    ui.dockWidget->setWindowTitle(tr(title));
}
