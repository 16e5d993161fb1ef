#include <QComboBox>
#include <QDockWidget>
#include <QMessageBox>
#include <QToolBar>

#include "DisplayView.h"
#include "Drovanel.h"
#include "FullScreenSwitch.h"
#include "OperationLog.h"
#include "QtWindowImp.h"
#include "Settings.h"
#include "StringConvert.h"
#include "TuneInitDevice.h"

namespace {

// From this bridge version on the touch report carries status flags.
constexpr float kFlagReportVersion = 5.9f;

// Offset-correction levels; the raster modes offer the first two.
const char* const kCorrectionLevels[] = {
    "Without correction",
    "With EEPROM offset correction",
    "With EEPROM and RAM offset correction",
    "With all offset correction and drift compensation",
};
constexpr int kShortLevelCount = 2;

}  // namespace

void Drovanel::InitUserToolBar() {
    _normalAction = ui.actionNormal;
    _debugAction = ui.actionDebug;
    _rasterAction = ui.actionRaster;
    QToolBar* bar = ui.userToolBar;
    bar->addAction(ui.actionNormal);
    bar->addAction(ui.actionDebug);
    bar->addAction(ui.actionRaster);
    bar->addAction(ui.actionRaster_LiftY);
    bar->addAction(ui.action_Picture_View);
    bar->addSeparator();
    bar->addAction(ui.actionMasterDownload);
    bar->addAction(ui.actionSlaveDownload);
    bar->addSeparator();
    bar->addAction(ui.actionCalibrate);
    bar->addAction(ui.actionReadOffset);
    bar->addSeparator();
    bar->addAction(ui.actionRecord_Segment);
    bar->addAction(ui.actionSave_Offset);
    bar->addAction(ui.actionRead_Offset);
    bar->hide();
    connect(ui.actionRaster, &QAction::triggered, this, &Drovanel::raster);
    connect(ui.actionRaster_LiftY, &QAction::triggered, this, &Drovanel::rasterLiftY);
    connect(ui.actionDebug, &QAction::triggered, this, &Drovanel::debug);
    connect(ui.action_Picture_View, &QAction::triggered, this, &Drovanel::PictureView);
    connect(ui.actionNormal, &QAction::triggered, this, &Drovanel::normal);
}

void Drovanel::SetFlagsVisible(bool show) {
    PrepareFlags(show);
}

void Drovanel::PrepareFlags(bool shown) {
    if (shown) {
        ui.comboFlags->setCurrentIndex(0);
        ui.comboFlags->show();
    } else {
        ui.comboFlags->hide();
    }
}

// Refilling selects the first level again; the index change sends that
// level's correction flags to the bridge.
void Drovanel::RefillFlags(bool fullList) {
    ui.comboFlags->clear();
    const int count =
        fullList ? static_cast<int>(sizeof kCorrectionLevels / sizeof(char*)) : kShortLevelCount;
    for (int i = 0; i < count; ++i) {
        ui.comboFlags->addItem(QString::fromLatin1(kCorrectionLevels[i]));
    }
}

void Drovanel::normal() {
    PrepareFlags(false);
    LOG4CPLUS_INFO(OperationLogger(), "Normal display");
    const float version = static_cast<float>(StringToDouble(_settings->GetValue("Master_version")));
    if (version >= kFlagReportVersion) {
        _device->NormalFlagState();
    } else {
        _device->NormalState();
    }
    RefillFlags(true);
}

// The flag list is shown or hidden before the device switches and refilled
// after it; a raster display lists fewer flags.
void Drovanel::ShowDisplay(const char* what, void (morvex_gui::TuneInitDevice::*enter)(),
                           bool flagsShown, bool fullList) {
    PrepareFlags(flagsShown);
    LOG4CPLUS_INFO(OperationLogger(), what);
    (_device->*enter)();
    RefillFlags(fullList);
}

void Drovanel::normalFlag() {
    ShowDisplay("Normal display", &morvex_gui::TuneInitDevice::NormalFlagState, false, true);
}

void Drovanel::debug() {
    ShowDisplay("Debug display", &morvex_gui::TuneInitDevice::DebugState, true, true);
}

void Drovanel::raster() {
    ShowDisplay("Raster display", &morvex_gui::TuneInitDevice::RasterState, true, false);
}

void Drovanel::rasterLiftY() {
    ShowDisplay("Raster liftY display", &morvex_gui::TuneInitDevice::RasterLiftYState, true, false);
}

void Drovanel::PictureView() {
    ShowDisplay("Picture view", &morvex_gui::TuneInitDevice::PictureViewState, false, true);
}

void Drovanel::EnterPenMode() {
    ShowDisplay("Pen draw mode", &morvex_gui::TuneInitDevice::PenState, false, true);
}

void Drovanel::EnterDrawingState(bool on) {
    if (!on) {
        return;
    }
    _device->Quit();
    _device->flush();
    _device->TuneInit();
    const QMessageBox::StandardButton answer = QMessageBox::question(
        this, tr("Enter Drawing Mode..."),
        tr("<p>Are you sure you want to enter drawing mode with Tuning FW?</p><Font color = "
           "red>ATTENTION: The performance is not as good as with normal FW!!!</font><p>Return "
           "to Tuning with the 'Tuning Mode' button.</p>"),
        QMessageBox::Yes | QMessageBox::No);
    if (answer == QMessageBox::Yes) {
        LOG4CPLUS_INFO(OperationLogger(), "Enter tuing drawing mode");
        ui.dockWidget->hide();
        ui.dockWidgetInformation->hide();
        _device->DrawingState();
    } else {
        LOG4CPLUS_INFO(OperationLogger(), "Cancel tuning drawing mode");
        ChangeModeForParameter(ui.listTuneParameters->currentRow());
    }
}

void Drovanel::EnterTuningState(bool on) {
    if (!on) {
        return;
    }
    ui.dockWidget->show();
    ui.dockWidgetInformation->show();
    ChangeModeForParameter(ui.listTuneParameters->currentRow());
}

void Drovanel::SwitchFullScreen(bool on) {
    _fullScreen->SwitchWindow(on);
}

void Drovanel::DisplayFullScreen(bool on) {
    _fullScreen->SwitchView(on);
}

void Drovanel::DisableFullScreen() {
    _fullScreen->Leave();
}

void Drovanel::Clear() {
    LOG4CPLUS_INFO(OperationLogger(), "Display clear");
    _imp->Clear();
    ClearOverflow();
}

void Drovanel::ViewStop(bool on) {
    if (on) {
        LOG4CPLUS_INFO(OperationLogger(), "Pause start");
        _link.Detach();
    } else {
        LOG4CPLUS_INFO(OperationLogger(), "Pause stop");
        _device->flush();
        _link.Attach();
    }
}

void Drovanel::SetExtraDisplay() {
    LOG4CPLUS_INFO(OperationLogger(), "ZeltoC wizzgard change");
    _imp->SetExtraDisplay(ui.actionExtraDisplay->isChecked());
}
