#include "MasterDownloader.h"

#include <QCloseEvent>
#include <QMessageBox>
#include <QTimer>
#include <boost/regex.hpp>

#include "ConfigParameter.h"
#include "Device.h"
#include "DownloadFilePick.h"
#include "LineDispatch.h"
#include "MasterImages.h"
#include "OperationLog.h"
#include "ProgramPaths.h"
#include "Settings.h"
#include "ui_MasterDownloader.h"

namespace morvex_gui {

namespace {

constexpr int kMasterPages = 112;
constexpr int kVersionDelayMs = 200;

const boost::regex& BootloaderVersionPattern() {
    static const boost::regex pattern("Master_Bootloader_B?V\\d+");
    return pattern;
}

}  // namespace

MasterDownloader::MasterDownloader(Settings* settings, Device* device, QWidget* parent)
    : SerialPortDialog(device, parent),
      _ui(std::make_unique<Ui::MasterDownloader>()),
      _pages(),
      _packetCount(0),
      _pageCount(kMasterPages),
      _settings(settings),
      _hexFile(),
      _downloadStarted(false),
      _transferActive(false),
      _sessionEnded(false) {
    _ui->setupUi(this);
    QTimer::singleShot(kVersionDelayMs, this, &MasterDownloader::GetVersion);
    connect(_ui->buttonDownload, &QPushButton::clicked, this, &MasterDownloader::Download);
    connect(_ui->buttonBrowseHex, &QPushButton::clicked, this, &MasterDownloader::SelectHexFile);
    connect(_ui->buttonRetry, &QPushButton::clicked, this, &MasterDownloader::RetryGetVersion);
    ConfigParameter hexFile;
    if (_settings != nullptr) {
        _settings->GetParameter("master_hex_file", hexFile);
    }
    _ui->lineHexPath->setText(QString::fromLocal8Bit(hexFile.GetValue().c_str()));
}

MasterDownloader::~MasterDownloader() = default;

void MasterDownloader::GetVersion() {
    _device->EnterMasterBootloader();
}

void MasterDownloader::SelectHexFile() {
    PickDownloadFile(this, _ui->lineHexPath, QStringLiteral("hex_file/I2C_MASTER_ATMEGA168.hex"),
                     tr("Select Master File..."), tr("Master files(*.hex);;All files(*.*)"),
                     "Select Hex file");
}

void MasterDownloader::RetryGetVersion() {
    _ui->lineVersion->clear();
    LOG4CPLUS_INFO(OperationLogger(), "Master download 'recheck' button clicked");
    _transferActive = false;
    _device->NormalMode();
    _device->Sleep(50);
    _device->EnterMasterBootloader();
    MakeDownloadButton();
}

void MasterDownloader::MakeDownloadButton() {
    disconnect(_ui->buttonDownload, &QPushButton::clicked, this, &MasterDownloader::Download);
    disconnect(_ui->buttonDownload, &QPushButton::clicked, this, &QDialog::accept);
    _ui->buttonDownload->setText(tr("Download"));
    connect(_ui->buttonDownload, &QPushButton::clicked, this, &MasterDownloader::Download);
}

void MasterDownloader::Download() {
    LOG4CPLUS_INFO(OperationLogger(), "Master 'Download' button clicked");
    _ui->progressDownload->setMaximum(_pageCount + 1);
    _ui->progressDownload->setValue(0);
    _packetCount = 0;
    _transferActive = false;

    MasterImages image(_pageCount);
    _hexFile = _ui->lineHexPath->text().toLocal8Bit().toStdString();
    _pages.clear();
    if (!image.Load(_hexFile.c_str()) || !image.Parse(_pages)) {
        _pages.clear();
        QMessageBox box(QMessageBox::Warning, tr("Warning"),
                        tr("Please select a correct hex file to retry!"), QMessageBox::Ok, this);
        box.setInformativeText(QString::fromStdString(image.ErrorText()));
        box.exec();
        return;
    }
    _ui->buttonDownload->setEnabled(false);
    _ui->buttonRetry->setEnabled(false);
    if (!_device->StartMasterDownload(_pages)) {
        // Without a way back the operator could only close the dialog.
        _ui->buttonRetry->setEnabled(true);
        AppendLog(
            tr("<FONT COLOR=red>The bridge did not take the first packet, please click "
               "the 'Recheck' button and retry downloading.</FONT>"));
        return;
    }
    // Only now may the opener take the dialog for a download that happened.
    _downloadStarted = true;
    _transferActive = true;
    ++_packetCount;
    _ui->progressDownload->setValue(_packetCount);
}

void MasterDownloader::ReadSerialPort() {
    SerialPortDialog::ReadSerialPort();
    // Every line counts: an ACK and the "S" after it often share one read.
    ForEachLine(_lines, [this](const std::string& line) {
        HandleLine(line);
        return !_sessionEnded;
    });
}

void MasterDownloader::HandleLine(const std::string& line) {
    if (line == "C") {
        AppendLog(QStringLiteral("C"));
    } else if (line == "S") {
        // A stray success before any packet went out must not touch the settings.
        if (_packetCount > 0) {
            ReportSuccess();
        }
    } else if (line == "F") {
        ReportFailure(
            tr("<FONT COLOR=red>Download fail, please click the 'Recheck' button and "
               "retry downloading.</FONT>"));
    } else if (line == "\x15") {
        LOG4CPLUS_INFO(OperationLogger(), "Check crc error");
        ReportFailure(
            tr("<FONT COLOR=red>Crc check error, please click the 'Recheck' button and "
               "retry downloading.</FONT>"));
    } else if (line == "\x06") {
        SendNextPacket();
    } else if (line == "\x18") {
        AppendLog(QStringLiteral("0x18"));
        ReportFailure(
            tr("<FONT COLOR=red>The bootloader cancelled the download, please click the "
               "'Recheck' button and retry downloading.</FONT>"));
    } else {
        HandleBootloaderLine(line);
    }
}

void MasterDownloader::HandleBootloaderLine(const std::string& line) {
    boost::smatch version;
    if (boost::regex_search(line, version, BootloaderVersionPattern())) {
        LOG4CPLUS_INFO(OperationLogger(), "Check master bootloader version successfully");
        _ui->lineVersion->setText(QString::fromStdString(version.str()));
        _ui->buttonDownload->setDefault(false);
        _ui->buttonDownload->setEnabled(true);
    } else if (line.find("L70") != std::string::npos) {
        LOG4CPLUS_INFO(OperationLogger(), "Master hasn't any app-code.");
        _device->GetBootloaderVersion();
    }
}

void MasterDownloader::SendNextPacket() {
    // After the end packet the transfer has nothing more to send.
    const bool packetLeft = _transferActive && _device->_packetIndex >= 0 &&
                            static_cast<size_t>(_device->_packetIndex) <= _pages.size();
    if (!packetLeft) {
        _transferActive = false;
        return;
    }
    _device->SendMasterPacket(_pages, 0);
    ++_packetCount;
    _ui->progressDownload->setValue(_packetCount);
    AppendLog(tr("One Segment Finish..."));
}

void MasterDownloader::ReportSuccess() {
    _transferActive = false;
    LOG4CPLUS_INFO(OperationLogger(), "Master download successfully");
    AppendLog(tr("<FONT COLOR=green>Success</FONT"));
    if (_settings != nullptr) {
        _settings->SetParameter(ConfigParameter("master_hex_file", _hexFile));
        const QByteArray config = platform::ConfigFilePath().toLocal8Bit();
        _settings->Save(config.constData());
    }
    disconnect(_ui->buttonDownload, &QPushButton::clicked, this, &MasterDownloader::Download);
    _ui->buttonDownload->setText(tr("OK"));
    connect(_ui->buttonDownload, &QPushButton::clicked, this, &QDialog::accept);
    _ui->buttonDownload->setEnabled(true);
    _ui->buttonRetry->setEnabled(true);
    _device->Send("n");
    _ui->buttonDownload->setDefault(true);
}

void MasterDownloader::ReportFailure(const QString& message) {
    _transferActive = false;
    _ui->buttonRetry->setEnabled(true);
    AppendLog(message);
}

void MasterDownloader::AppendLog(const QString& html) {
    _ui->textBrowserLog->append(html);
}

void MasterDownloader::EndSession() {
    if (_sessionEnded) {
        return;
    }
    _sessionEnded = true;
    WriteSessionLog(_ui->textBrowserLog, QStringLiteral("MasterDownload"));
    disconnect(_device, SIGNAL(readyRead()), this, SLOT(ReadSerialPort()));
    _device->NormalMode();
}

}  // namespace morvex_gui
