#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTableWidget>
#include <QTimer>
#include <algorithm>
#include <memory>

#include "AboutDialog.h"
#include "CalibrateDialog.h"
#include "CoreDevice.h"
#include "MasterDownloader.h"
#include "OperationLog.h"
#include "QtWindowImp.h"
#include "SettingDialog.h"
#include "SlaveDownloader.h"
#include "ThresholdSettingDialog.h"
#include "ZeltoMP.h"

namespace {

const char* const kSettingsPassword = "trevk";
constexpr int kPasswordBoxWidth = 260;
// The bridge settles in user mode before it is powered for a download.
constexpr unsigned kDownloadSettleMs = 200;
// The bridge settles after a calibration before the test mode is entered again.
constexpr unsigned kCalibrateSettleMs = 50;
constexpr int kOpenShortColumnWidth = 50;
constexpr Qt::Alignment kOpenShortAlignment = Qt::AlignHCenter | Qt::AlignTop;

// The result labels of the automatic page, in the order they are reset
// before a slave download.
constexpr int kWaitingOrder[] = {
    ZeltoMP::kSlaveCheck,       ZeltoMP::kDebugItem,         ZeltoMP::kSingleRawItem,
    ZeltoMP::kBorderItem,       ZeltoMP::kLinearityItem,     ZeltoMP::kPreciseItem,
    ZeltoMP::kButtonNormalItem, ZeltoMP::kButtonRawDataItem, ZeltoMP::kButtonSingleRawItem,
    ZeltoMP::kRasterXItem,      ZeltoMP::kRasterYItem,       ZeltoMP::kActiveItem,
    ZeltoMP::kJitterItem,       ZeltoMP::kResetItem,         ZeltoMP::kAttbItem,
};

QTableWidgetItem* OpenShortItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(kOpenShortAlignment);
    return item;
}

// Rows numbered from 1, every cell "0".
void FillOpenShortTable(QTableWidget* table, int rows, int columns) {
    rows = std::max(rows, 0);
    columns = std::max(columns, 0);
    table->setRowCount(rows);
    table->setColumnCount(columns);
    for (int row = 0; row < rows; ++row) {
        table->setVerticalHeaderItem(row, OpenShortItem(QString::number(row + 1)));
    }
    for (int column = 0; column < columns; ++column) {
        table->setColumnWidth(column, kOpenShortColumnWidth);
    }
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            table->setItem(row, column, OpenShortItem(QStringLiteral("0")));
        }
    }
}

}  // namespace

void ZeltoMP::About() {
    const auto dialog = std::make_unique<AboutDialog>(this);
    dialog->exec();
}

bool ZeltoMP::PasswordGiven() {
    if (_passwordAccepted) {
        return true;
    }
    QInputDialog box;
    box.setWindowTitle(tr("Input Password"));
    box.setLabelText(tr("Please input the password: "));
    box.setTextEchoMode(QLineEdit::Password);
    // Its layout decides the smallest size; a wider box keeps the whole title.
    box.resize(kPasswordBoxWidth, box.sizeHint().height());
    if (box.exec() != QDialog::Accepted) {
        return false;
    }
    const QString password = box.textValue();
    if (password != QLatin1String(kSettingsPassword)) {
        QMessageBox::critical(this, tr("Error"), tr("Password Error!"), QMessageBox::Ok);
        return false;
    }
    _passwordAccepted = true;
    return true;
}

void ZeltoMP::SetDefaultSettings() {
    if (!PasswordGiven()) {
        return;
    }
    if (!SettingDialog::EditDefaults(_settings, this)) {
        return;
    }
    StopCountdown();
    InitNormalTestUI();
    InitAutoTestUI();
    _imp->StartCommon();
    _imp->ClearAll();
    _device->Quit();
    AskAgainIfStartUpCutOff();
}

void ZeltoMP::ThresholdSetting() {
    const auto dialog = std::make_unique<ThresholdSettingDialog>(_settings, this);
    if (dialog->exec() == QDialog::Accepted) {
        ChangeTestMode();
    }
}

void ZeltoMP::ShowWaitingResults() {
    for (int id : kWaitingOrder) {
        if (QLabel* label = ResultLabel(id)) {
            label->setText(WaitText(id));
        }
    }
}

void ZeltoMP::LendLink() {
    // The item under test is given up: its countdown must not start the next
    // item while the dialog talks to the bridge.
    StopCountdown();
    StartNewRun();
    _link.Lend();
}

void ZeltoMP::TakeLinkBack() {
    _link.TakeBack();
}

void ZeltoMP::RestartFromOpenPort() {
    ResetLabels();
    // On the automatic page the restart's slave check begins a run.
    BeginRunRecord();
    StartVersionWatch();
    _device->EnterOpenState();
}

// Runs a download dialog to its end, the dialog reading the bridge itself
// meanwhile; true when the download counts as done: accepted, or closed after
// the download had begun.
template <class Downloader>
bool ZeltoMP::RunDownload(const std::string& kind) {
    LOG4CPLUS_INFO(OperationLogger(), kind + " download dialog start");
    LendLink();
    bool done = false;
    {
        const auto dialog = std::make_unique<Downloader>(_settings, _device, this);
        const bool accepted = dialog->exec() == QDialog::Accepted;
        done = accepted || dialog->DownloadStarted();
    }
    LOG4CPLUS_INFO(OperationLogger(),
                   kind + (done ? " download dialog accept" : " download dialog reject"));
    TakeLinkBack();
    return done;
}

void ZeltoMP::SlaveDownload() {
    ShowWaitingResults();
    _device->UserMode();
    _device->Quit();
    _device->UserMode();
    _device->Quit();
    _device->Sleep(kDownloadSettleMs);
    _versionTicks = 0;
    _device->PowerOn();
    const bool done = RunDownload<morvex_gui::SlaveDownloader>("Slave");
    if (done) {
        _noFirmware = false;
    }
    if (!_device->isOpen()) {
        return;
    }
    if (done) {
        RestartFromOpenPort();
    } else {
        ChangeTestMode();
    }
}

void ZeltoMP::MasterDownload() {
    _device->UserMode();
    _device->Quit();
    _device->Sleep(kDownloadSettleMs);
    _versionTicks = 0;
    _device->PowerOn();
    RunDownload<morvex_gui::MasterDownloader>("Master");
    _noFirmware = false;
    if (_device->isOpen()) {
        RestartFromOpenPort();
    }
}

void ZeltoMP::StartCalibrate() {
    Calibrate(true);
}

void ZeltoMP::Calibrate(bool calibrate) {
    if (!FirmwareReady()) {
        return;
    }
    LOG4CPLUS_INFO(OperationLogger(), "Calibrate dialog start");
    LendLink();
    if (!calibrate) {
        _device->UserMode();
    }
    {
        const auto dialog = std::make_unique<morvex_gui::CalibrateDialog>(calibrate, _device, this);
        dialog->exec();
    }
    LOG4CPLUS_INFO(OperationLogger(), "Calibrate dialog exit");
    TakeLinkBack();
    // A port that went away meanwhile has no test mode to return to.
    if (!_device->isOpen()) {
        return;
    }
    _device->Sleep(kCalibrateSettleMs);
    ChangeTestMode();
}

void ZeltoMP::StartOpenShort(int x, int y) {
    ui.dockWidget_2->show();
    FillOpenShortTable(ui.table_x_rawdata, y, x - 1);
    FillOpenShortTable(ui.table_y_rawdata, y - 1, x);
}
