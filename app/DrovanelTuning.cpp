#include <QActionGroup>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QToolBar>

#include "Drovanel.h"
#include "FileCopy.h"
#include "OperationLog.h"
#include "PortToolBar.h"
#include "ProgramPaths.h"
#include "QtWindowImp.h"
#include "Settings.h"
#include "SlaveDownloadProgress.h"
#include "TuneInitDevice.h"
#include "TunePathSettings.h"
#include "TuningStart.h"
#include "WriteEepromParam.h"

namespace {

// The last rows are the qualification's finger and noise positions, which
// live in the controller only and never go into the pattern XML.
constexpr int kQualificationRows = 4;

const char* const kPatternFilter = "Pattern files(*.xml);;All files(*.*)";
const char* const kWorkingCopy = "tune_xml.tmp";
const char* const kNormalImage = "vmx_file/normal.vmx";
const char* const kTuningImage = "vmx_file/zeltotune.vmx";

// The images of one firmware line, copied over the two that the downloads use.
struct FirmwareLine {
    const char* name;
    const char* normalImage;
    const char* tuningImage;
    const char* index;
};

const FirmwareLine kFirmwareLines[] = {
    {"MP8.0", "vmx_file/normal_80.vmx", "vmx_file/zeltotune_80.vmx", "0"},
    {"MP8.2", "vmx_file/normal_82.vmx", "vmx_file/zeltotune_82.vmx", "1"},
    {"MP9.0", "vmx_file/normal_90.vmx", "vmx_file/zeltotune_90.vmx", "2"},
};

QString ProgramFile(const char* name) {
    return platform::ProgramFilePath(QString::fromLatin1(name));
}

QString FromLocal(const std::string& text) {
    return QString::fromLocal8Bit(text.c_str());
}

}  // namespace

// ---- set-up -------------------------------------------------------------------

void Drovanel::InitTuneToolBar() {
    QToolBar* bar = ui.tuneToolBar;
    bar->show();
    bar->addAction(ui.actionTuning_Mode);
    bar->addAction(ui.actionDrawing_Mode);
    bar->addSeparator();
    bar->addAction(ui.actionCalibrate);
    bar->addAction(ui.actionReadOffset);
    auto* states = new QActionGroup(this);
    states->setExclusive(true);
    states->addAction(ui.actionTuning_Mode);
    states->addAction(ui.actionDrawing_Mode);
}

void Drovanel::ConnectTuning() {
    const std::pair<QPushButton*, void (Drovanel::*)()> buttons[] = {
        {ui.buttonTuneApply, &Drovanel::ApplyTuning},
        {ui.buttonTuneFinish, &Drovanel::FinishTuning},
        {ui.buttonTuneIncrease, &Drovanel::IncreaseParameter},
        {ui.buttonTuneIncreaseMore, &Drovanel::IncreaseTenParameter},
        {ui.buttonTuneDecrease, &Drovanel::DecreaseParameter},
        {ui.buttonTuneDecreaseMore, &Drovanel::DecreaseTenParameter},
        {ui.buttonRefreshParameters, &Drovanel::RefreshAllParameters},
    };
    for (const auto& [button, slot] : buttons) {
        connect(button, &QPushButton::clicked, this, slot);
    }
    using morvex_gui_qtlib::QtWindowImp;
    connect(_imp, qOverload<>(&QtWindowImp::ScanParameters), this, &Drovanel::ScanParameters);
    connect(_imp, &QtWindowImp::DrawEffect, this, &Drovanel::DrawEffect);
}

// ---- entering the tune mode -----------------------------------------------------

void Drovanel::EngineeringModeUI(bool checked) {
    if (!checked || !ui.actionUserMode->isEnabled()) {
        return;
    }
    LOG4CPLUS_INFO(OperationLogger(), "Tuning setup start");
    auto* setup = new TunePathSettings(_settings, this);
    if (setup->exec() != QDialog::Accepted) {
        LOG4CPLUS_INFO(OperationLogger(), "Tuning setup reject");
        delete setup;
        ui.actionUserMode->setChecked(true);
        return;
    }
    const bool download = setup->DownloadChosen();
    const QString firmwareLine = setup->GetMpVersion();
    delete setup;
    if (download) {
        if (!PrepareTuneImages(firmwareLine)) {
            return;
        }
        if (!RunTuneDownload()) {
            return;
        }
    }
    RunTuningStart();
}

// Puts the chosen line's images where the downloads take them from.
bool Drovanel::PrepareTuneImages(const QString& firmwareLine) {
    const FirmwareLine* chosen = nullptr;
    for (const FirmwareLine& line : kFirmwareLines) {
        if (firmwareLine == QLatin1String(line.name)) {
            chosen = &line;
        }
    }
    if (chosen == nullptr || !QFile::exists(ProgramFile(chosen->normalImage)) ||
        !QFile::exists(ProgramFile(chosen->tuningImage))) {
        LOG4CPLUS_INFO(OperationLogger(), "Tuning start dialog reject");
        QMessageBox::warning(
            this, tr("Missing file!"),
            tr("Can't find the %1 FW. files in the vmx_file folder.").arg(firmwareLine),
            QMessageBox::Ok);
        ui.actionUserMode->setChecked(true);
        return false;
    }
    // Both images are written before either is put in place, and placed as a
    // pair: the images and "mp_version" always name one line.
    FileCopy normal(ProgramFile(chosen->normalImage), ProgramFile(kNormalImage));
    FileCopy tuning(ProgramFile(chosen->tuningImage), ProgramFile(kTuningImage));
    const auto firstError = [&] {
        return !normal.Error().isEmpty() ? normal.Error() : tuning.Error();
    };
    if (!normal.Prepare() || !tuning.Prepare()) {
        WarnCopyFailed(firstError());
        ui.actionUserMode->setChecked(true);
        return false;
    }
    switch (FileCopy::CommitPair(normal, tuning)) {
        case FileCopy::Pair::Placed:
            _settings->SetParameter(ConfigParameter("mp_version", chosen->index));
            return true;
        case FileCopy::Pair::KeptOld:
            WarnCopyFailed(firstError() +
                           tr("\n\nBoth images still hold the firmware line they held before."));
            break;
        case FileCopy::Pair::Mixed:
            RemoveMixedImages(firmwareLine, tuning.Error());
            break;
    }
    ui.actionUserMode->setChecked(true);
    return false;
}

// The normal image is of the new line and the tuning image of the old one:
// neither may go to the panel as a pair until a set-up places both.
void Drovanel::RemoveMixedImages(const QString& firmwareLine, const QString& error) {
    QFile::remove(ProgramFile(kNormalImage));
    QFile::remove(ProgramFile(kTuningImage));
    const bool removed =
        !QFile::exists(ProgramFile(kNormalImage)) && !QFile::exists(ProgramFile(kTuningImage));
    LOG4CPLUS_WARN(OperationLogger(), "Tuning images mixed: " << error.toLocal8Bit().constData());
    QMessageBox::warning(
        this, tr("Copy failed..."),
        tr("%1\n\nThe images in the vmx_file folder are mixed: normal.vmx is of %2, "
           "zeltotune.vmx of the line before. %3")
            .arg(error, firmwareLine,
                 removed ? tr("Both were removed; run the tuning set-up again before any "
                              "download.")
                         : tr("Remove both and run the tuning set-up again before any "
                              "download.")),
        QMessageBox::Ok);
}

// Downloads the tuning firmware and the EEPROM image generated from the
// pattern; false when the engineer broke it off.
bool Drovanel::RunTuneDownload() {
    ConfigParameter firmware;
    ConfigParameter pattern;
    if (!_settings->GetParameter("tune_vmx_file", firmware) ||
        !_settings->GetParameter("tune_xml_file", pattern)) {
        return true;
    }
    LOG4CPLUS_INFO(OperationLogger(), "Tuning download dialog start");
    _link.Lend();
    ::SetLatencyTimer(_portBar->PortName(), kLatencyTimer);
    auto* download = new morvex_gui::SlaveDownloadProgress(_device, pattern.GetValue().c_str(),
                                                           firmware.GetValue().c_str(), this);
    const bool accepted = download->exec() == QDialog::Accepted;
    delete download;
    ::SetLatencyTimer(_portBar->PortName(), kLatencyTimer);
    _link.TakeBack();
    if (!accepted) {
        ui.actionTuneMode->setChecked(false);
        if (_device->isOpen()) {
            RestartBridge();
        }
    }
    return accepted;
}

void Drovanel::RunTuningStart() {
    LOG4CPLUS_INFO(OperationLogger(), "Tuning start dialog start");
    auto* checklist = new TuningStart(this);
    if (checklist->exec() == QDialog::Accepted) {
        LOG4CPLUS_INFO(OperationLogger(), "Tuning start dialog accept");
        RestartBridge();
    } else {
        LOG4CPLUS_INFO(OperationLogger(), "Tuning start dialog reject");
        ui.actionUserMode->setChecked(true);
    }
    delete checklist;
}

// The window goes back to its closed-port look and the bridge through its
// start-up again; the version check then opens the panel that the mode
// actions ask for.
void Drovanel::RestartBridge() {
    SetCloseUI();
    _device->EnterOpenState();
}

// ---- the selected parameter -------------------------------------------------------

void Drovanel::ShowTuneHelp(int row) {
    ui.textInformation->setText(TuneHelpText(row));
}

void Drovanel::ChangeModeForParameter(int row) {
    _currentParameter = row;
    if (!ui.engineeringPanel->isVisible()) {
        return;
    }
    ShowTuneHelp(row);
    _device->ReadParameterValue(row);
}

// The controller's answer to a read or a step has been shown; its live
// graphic follows, and the panel takes the next request.
void Drovanel::DrawEffect() {
    _device->ReadDisplayData(_currentParameter);
    ui.buttonRefreshParameters->setEnabled(true);
    SetStepButtonsEnabled(true);
}

void Drovanel::SetStepButtonsEnabled(bool enabled) {
    for (QPushButton* button : {ui.buttonTuneDecrease, ui.buttonTuneIncrease,
                                ui.buttonTuneDecreaseMore, ui.buttonTuneIncreaseMore}) {
        button->setEnabled(enabled);
    }
}

void Drovanel::StepParameter(const char* logLine, bool increase, int step) {
    LOG4CPLUS_INFO(OperationLogger(), logLine);
    SetStepButtonsEnabled(false);
    _device->ChangeParameterValue(_currentParameter, ui.lcdNumber->intValue(), increase, step);
}

void Drovanel::IncreaseParameter() {
    StepParameter("IncreaseParameter parameter", true, 1);
}

void Drovanel::IncreaseTenParameter() {
    StepParameter("IncreaseParameter parameter by 10 steps", true, 10);
}

void Drovanel::DecreaseParameter() {
    StepParameter("DecreaseParameter parameter", false, 1);
}

void Drovanel::DecreaseTenParameter() {
    StepParameter("DecreaseParameter parameter by 10 steps", false, 10);
}

void Drovanel::SelectPreviousParameter() {
    --_currentParameter;
    if (ui.listTuneParameters->item(_currentParameter) != nullptr) {
        LOG4CPLUS_INFO(OperationLogger(), "Select previous parameter");
        ui.listTuneParameters->setCurrentRow(_currentParameter);
    } else {
        LOG4CPLUS_INFO(OperationLogger(), "Select previous parameter on head");
        ++_currentParameter;
    }
    ui.listTuneParameters->setFocus(Qt::OtherFocusReason);
}

void Drovanel::SelectNextParameter() {
    ++_currentParameter;
    if (ui.listTuneParameters->item(_currentParameter) != nullptr) {
        LOG4CPLUS_INFO(OperationLogger(), "Select next parameter");
        ui.listTuneParameters->setCurrentRow(_currentParameter);
    } else {
        LOG4CPLUS_INFO(OperationLogger(), "Select next parameter on tail");
        --_currentParameter;
    }
    ui.listTuneParameters->setFocus(Qt::OtherFocusReason);
}

// ---- reading every parameter ---------------------------------------------------------

void Drovanel::RefreshAllParameters() {
    LOG4CPLUS_INFO(OperationLogger(), "Refresh all parameters");
    _device->Quit();
    _device->TuneInit();
    ui.buttonRefreshParameters->setEnabled(false);
    _currentParameter = 0;
    ScanParameters();
}

// One row per reply: the GUI interface writes the row's value, moves the
// row on and asks for the next one here.
void Drovanel::ScanParameters() {
    if (_currentParameter < ui.listTuneParameters->count()) {
        _device->ScanParameter(_currentParameter);
        return;
    }
    _currentParameter = 0;
    if (ui.listTuneParameters->currentRow() != 0) {
        ui.listTuneParameters->setCurrentRow(0);
    } else {
        ShowTuneHelp(0);
        _device->ReadParameterValue(0);
    }
}

// ---- saving and finishing -------------------------------------------------------------

void Drovanel::ApplyTuning() {
    ConfigParameter pattern;
    const bool hasPattern = _settings->GetParameter("tune_xml_file", pattern);
    const QString start = hasPattern ? FromLocal(pattern.GetValue()) : QDir::currentPath();
    const QString filter = QString::fromLatin1(kPatternFilter);
    QString destination =
        QFileDialog::getSaveFileName(this, tr("Save to Xml File..."), start, filter);
    if (destination.isEmpty()) {
        return;
    }
    LOG4CPLUS_INFO(OperationLogger(), "Apply and save");
    const bool written = WriteEepromParam(hasPattern ? pattern.GetValue() : std::string(),
                                          TunedValues(), destination.toLocal8Bit().toStdString());
    if (!written) {
        // No apply has taken, whatever the engineer answers next: "Finish
        // Tuning" asks before it downloads.
        _tuningApplied = false;
        const QMessageBox::StandardButton answer = QMessageBox::warning(
            this, tr("Apply failed..."),
            tr("Apply failed, do you want reset original xml file? and then you can retry to "
               "apply"),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::NoButton);
        if (answer == QMessageBox::Yes) {
            const QString original = QFileDialog::getOpenFileName(
                this, tr("Select original Xml File..."), FromLocal(pattern.GetValue()), filter);
            if (original.isEmpty()) {
                return;
            }
            destination = original;
        }
    }
    // What was written counts as applied only once the working copy holds it.
    const bool stored = StoreTuneXml(destination);
    _tuningApplied = written && stored;
}

// The values read from the controller, by parameter name. A row that was
// never read has no value and leaves the pattern's value as it is.
std::map<std::string, std::string> Drovanel::TunedValues() const {
    std::map<std::string, std::string> values;
    const int rows = ui.listTuneParametersInfo->count() - kQualificationRows;
    for (int row = 0; row < rows; ++row) {
        const QStringList parts =
            ui.listTuneParametersInfo->item(row)->text().split(QLatin1Char(':'));
        if (parts.size() != 2) {
            continue;
        }
        const QString value = parts[1].trimmed();
        if (!value.isEmpty()) {
            values.emplace(parts[0].toStdString(), value.toStdString());
        }
    }
    return values;
}

bool Drovanel::StoreTuneXml(const QString& file) {
    _settings->SetParameter(ConfigParameter("tune_xml_file", file.toLocal8Bit().toStdString()));
    return ReplaceWorkingCopy(file);
}

// A working copy that cannot be replaced stays as it was; the step that
// needed the new one stops, so no older pattern goes to the panel as new.
bool Drovanel::ReplaceWorkingCopy(const QString& pattern) {
    QString error;
    if (FileCopy::Replace(pattern, ProgramFile(kWorkingCopy), &error)) {
        return true;
    }
    WarnCopyFailed(error);
    return false;
}

void Drovanel::WarnCopyFailed(const QString& error) {
    QMessageBox::warning(this, tr("Copy failed..."), error, QMessageBox::Ok);
}

void Drovanel::FinishTuning() {
    if (!_tuningApplied &&
        QMessageBox::question(this, tr("Apply"),
                              tr("Current values of eeprom parameters havn't been 'Save and "
                                 "Apply', do you want to download the original pattern fix file?"),
                              QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::Yes) != QMessageBox::Yes) {
        return;
    }
    if (QMessageBox::question(
            this, tr("Finish Tuning?"),
            tr("Do you want to finish tuning mode? This will create an eeprom vmx file and "
               "download the normal FW vmx and eeprom vmx to the slave and enter user mode!"),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) != QMessageBox::Yes) {
        return;
    }
    if (!QFile::exists(ProgramFile(kNormalImage))) {
        QMessageBox::warning(
            this, tr("Warning..."),
            tr("Can't find the normal.vmx file in the GUI folder, please check and retry"),
            QMessageBox::Ok);
        return;
    }
    if (!EnsureWorkingCopy()) {
        return;
    }
    _link.Lend();
    LOG4CPLUS_INFO(OperationLogger(), "Finish Tune");
    auto* download = new morvex_gui::SlaveDownloadProgress(
        _device, ProgramFile(kWorkingCopy).toLocal8Bit().constData(),
        ProgramFile(kNormalImage).toLocal8Bit().constData(), this);
    download->exec();
    delete download;
    _device->EnterOpenState();
    ui.actionI2CMode->setEnabled(true);
    ui.actionUserMode->setEnabled(true);
    ui.actionUserMode->setChecked(true);
    _device->Quit();
    _link.TakeBack();
}

// The pattern to finish with: the working copy, or one the engineer picks now.
bool Drovanel::EnsureWorkingCopy() {
    if (QFile::exists(ProgramFile(kWorkingCopy))) {
        return true;
    }
    if (QMessageBox::question(this, tr("Warning..."),
                              tr("Can'f find the pattern xml file, would you want to select the "
                                 "pattern xml file to download now?"),
                              QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::Yes) != QMessageBox::Yes) {
        return false;
    }
    const QString file = QFileDialog::getOpenFileName(
        this, tr("Select Xml File..."), QDir::currentPath(), QString::fromLatin1(kPatternFilter));
    if (file.isEmpty()) {
        return false;
    }
    return ReplaceWorkingCopy(file);
}
