#include "CalibrateDialog.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTextCursor>
#include <QTimer>
#include <boost/regex.hpp>

#include "ChildProcesses.h"
#include "CoreDevice.h"
#include "LineDispatch.h"
#include "OperationLog.h"
#include "ui_CalibrateDialog.h"

namespace morvex_gui {

namespace {

constexpr int kCalibrateWidth = 400;
constexpr int kCalibrateHeight = 300;

// "5s ... K" down to "0s ... K": the controller's calibration countdown.
const boost::regex& CountdownPattern() {
    static const boost::regex pattern("^([0-5]s).+K$");
    return pattern;
}

// One line of the offset table: upper-case hex bytes, comma separated.
const boost::regex& OffsetPattern() {
    static const boost::regex pattern("(0x[0-9A-F]{2},?)+\\S?");
    return pattern;
}

}  // namespace

CalibrateDialog::CalibrateDialog(bool calibrate, Device* device, QWidget* parent)
    : SerialPortDialog(device, parent),
      ui(std::make_unique<Ui::CalibrateDialog>()),
      _coreDevice(nullptr),
      _calibrating(calibrate),
      _offsetCount(0),
      _offsetLines() {
    ui->setupUi(this);
    _coreDevice = qobject_cast<CoreDevice*>(_device);
    connect(ui->pushButtonOK, &QPushButton::clicked, this, &CalibrateDialog::Close);
    connect(ui->pushButtonCheckOffset, &QPushButton::clicked, this,
            &CalibrateDialog::UserCheckOffsetRegister);
    connect(ui->pushButtonCopy, &QPushButton::clicked, this, &CalibrateDialog::SetClipboard);
    connect(ui->buttonCopyStartZeltoConfig, &QPushButton::clicked, this,
            &CalibrateDialog::SetClipboardAndStartZeltoConfig);
    ui->pushButtonCheckOffset->setEnabled(false);
    ui->pushButtonOK->setEnabled(false);
    ui->pushButtonCopy->setEnabled(false);
    ui->buttonCopyStartZeltoConfig->setEnabled(false);
    if (calibrate) {
        QTimer::singleShot(kStartDelayMs, this, &CalibrateDialog::StartCalibrate);
        ui->progressBar->hide();
        ui->pushButtonCheckOffset->hide();
        ui->pushButtonCopy->hide();
        ui->buttonCopyStartZeltoConfig->hide();
        resize(kCalibrateWidth, kCalibrateHeight);
    } else {
        QTimer::singleShot(kStartDelayMs, this, &CalibrateDialog::StartOffset);
    }
}

CalibrateDialog::~CalibrateDialog() {
    morvex_gui_qtlib::EndChildProcesses(*this);
}

void CalibrateDialog::StartCalibrate() {
    if (_device != nullptr) {
        _device->SendHashZ();
    }
}

void CalibrateDialog::StartOffset() {
    ui->textOffset->clear();
    ui->pushButtonCheckOffset->setEnabled(true);
    ui->pushButtonOK->setEnabled(true);
    ui->label->setText(QStringLiteral("Read Offset..."));
    UserCheckOffsetRegister();
}

void CalibrateDialog::UserCheckOffsetRegister() {
    LOG4CPLUS_INFO(OperationLogger(), "Read offset data");
    ui->label->setText(QStringLiteral("Reading Offset...!"));
    _offsetCount = 0;
    ui->progressBar->setValue(0);
    ui->textOffset->clear();
    _offsetLines.clear();
    ui->pushButtonCopy->setEnabled(false);
    if (_coreDevice != nullptr) {
        _coreDevice->CheckOffsetRegister();
    }
}

void CalibrateDialog::ReadSerialPort() {
    SerialPortDialog::ReadSerialPort();
    if (_bytesAvailable < 1) {
        return;
    }
    ForEachLine(_lines, [this](const std::string& line) {
        HandleLine(line);
        return true;
    });
}

void CalibrateDialog::HandleLine(const std::string& line) {
    boost::smatch found;
    if (boost::regex_search(line, found, CountdownPattern())) {
        if (found[1] == "0s") {
            FinishCalibrate();
        } else {
            ShowCountdown(found[1].str());
        }
    }
    if (boost::regex_search(line, found, OffsetPattern())) {
        CollectOffsetLine(found[0].str());
    }
}

void CalibrateDialog::ShowCountdown(const std::string& seconds) {
    // In an offset read the browser holds the table; only a calibration shows the count.
    if (!_calibrating) {
        return;
    }
    ui->textOffset->setHtml(QStringLiteral("<FONT COLOR=RED size=40>") +
                            QString::fromStdString(seconds) + QStringLiteral("</Font>"));
}

void CalibrateDialog::CollectOffsetLine(const std::string& text) {
    _offsetLines.push_back(text);
    ++_offsetCount;
    ui->progressBar->setValue(_offsetCount);
    if (_offsetCount == kOffsetLineCount) {
        ui->pushButtonCopy->setEnabled(true);
        ui->buttonCopyStartZeltoConfig->setEnabled(true);
        ShowOffsetLines();
    }
}

void CalibrateDialog::ShowOffsetLines() {
    QTextEdit* browser = ui->textOffset;
    QTextCursor cursor(browser->document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    // One paragraph per line, as appending each would give.
    for (const std::string& line : _offsetLines) {
        if (!browser->document()->isEmpty()) {
            cursor.insertBlock();
        }
        cursor.insertText(QString::fromLatin1(line.data(), static_cast<int>(line.size())));
    }
    cursor.endEditBlock();
}

void CalibrateDialog::FinishCalibrate() {
    if (_device != nullptr) {
        _device->Quit();
        _device->flush();
    }
    ui->textOffset->clear();
    _offsetLines.clear();
    ui->textOffset->setText(QStringLiteral("Calibrate successfully!"));
    ui->pushButtonCheckOffset->setEnabled(true);
    ui->pushButtonOK->setEnabled(true);
    ui->label->setText(QStringLiteral("Calibrate successfully!"));
}

void CalibrateDialog::SetClipboard() {
    LOG4CPLUS_INFO(OperationLogger(), "Copy offset data to clipboard");
    ui->textOffset->selectAll();
    ui->textOffset->copy();
    ui->pushButtonOK->setFocus(Qt::OtherFocusReason);
}

void CalibrateDialog::SetClipboardAndStartZeltoConfig() {
    SetClipboard();
    auto* tool = new QProcess(this);
    connect(tool, &QProcess::errorOccurred, this, &CalibrateDialog::SlaveConfigFail);
    tool->start(QStringLiteral("ZeltoConfig.exe"), QStringList(), QIODevice::ReadWrite);
}

void CalibrateDialog::SlaveConfigFail(QProcess::ProcessError /*error*/) {
    QMessageBox::warning(this, tr("Start ZeltoConfig Fail..."),
                         tr("Start ZeltoConfig.exe fail, make sure it's in the current folder!"),
                         QMessageBox::Ok);
}

void CalibrateDialog::Close() {
    close();
}

}  // namespace morvex_gui
