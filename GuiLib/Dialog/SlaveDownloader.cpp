#include "SlaveDownloader.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <boost/regex.hpp>
#include <cstdlib>

#include "ConfigParameter.h"
#include "CoreDevice.h"
#include "DownloadFilePick.h"
#include "LineDispatch.h"
#include "OperationLog.h"
#include "ProgramPaths.h"
#include "Settings.h"
#include "SlaveBootloaderReplies.h"
#include "SlaveImages.h"
#include "StringConvert.h"
#include "ui_SlaveDownloader.h"

namespace morvex_gui {

namespace {

constexpr int kVersionDelayMs = 200;
constexpr unsigned kDelayEntryMs = 300;
constexpr unsigned kTimedPauseMs = 100;
constexpr int kTimedEventMs = 100;
constexpr float kHandshakeMasterVersion = 5.9f;

struct ReplyPatterns {
    boost::regex bootloader{"Bootloader information: (([0-9A-F]{2}\\s){3}([0-9A-F]{2})\\s)"};
    boost::regex success{"S[0-9A-F]{2}\\s[0-9A-F]{2}\\s[0-9A-F]{2}"};
    boost::regex twoBytesAtEnd{"[0-9A-F]{2}\\s[0-9A-F]{2}\\s$"};
    boost::regex slaveLost{"(I2C_TIME_OUT)|(I2C_MTX_NACK_ADDRESS)|(I2C_MRX_NACK_ADDRESS)"};
};

const ReplyPatterns& Patterns() {
    static const ReplyPatterns patterns;
    return patterns;
}

const char* const kRecheckAdvice =
    "<FONT COLOR=darkviolet>You can select a correct vmx file and click the 'Recheck' button to "
    "download again.</FONT>";
const char* const kSuccessLine = "<FONT COLOR=darkviolet>The slave download success!</FONT>";

bool HasWriteCommand(const std::vector<std::string>& commands) {
    return std::any_of(commands.begin(), commands.end(),
                       [](const std::string& command) { return !command.empty(); });
}

}  // namespace

SlaveDownloader::SlaveDownloader(Settings* settings, Device* device, QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::SlaveDownloaderDialog>()),
      _coreDevice(qobject_cast<CoreDevice*>(device)),
      _settings(settings),
      _vmxFile(),
      _commands(),
      _bootloaderVersion(),
      _downloadStarted(false),
      _downloading(false),
      _commandIndex(0),
      _oldMaster(true),
      _device(device),
      _abort(false),
      _sessionEnded(false) {
    ui->setupUi(this);
    const std::string master = _settings != nullptr ? _settings->GetValue("Master_version") : "0";
    _oldMaster = static_cast<float>(StringToDouble(master)) < kHandshakeMasterVersion;
    QTimer::singleShot(kVersionDelayMs, this, &SlaveDownloader::GetVersion);

    ui->buttonDownload->setEnabled(false);
    connect(ui->buttonDownload, &QPushButton::clicked, this, &SlaveDownloader::Download);
    connect(ui->buttonBrowseFile, &QPushButton::clicked, this, &SlaveDownloader::SelectVmxFile);
    connect(ui->buttonRetry, &QPushButton::clicked, this, &SlaveDownloader::RetryGetVersion);
    if (_device != nullptr) {
        connect(_device, &QIODevice::readyRead, this, &SlaveDownloader::ReadSerialPort);
    }
    // Only the main windows carry the removal signal.
    if (parent != nullptr && parent->metaObject()->indexOfSignal("SignalDeviceDisconnect()") >= 0) {
        connect(parent, SIGNAL(SignalDeviceDisconnect()), this, SLOT(DeviceDisconnect()));
    }
    ConfigParameter file;
    if (_settings != nullptr && _settings->GetParameter("slave_download_file", file) &&
        !file.GetValue().empty()) {
        ui->lineFilePath->setText(QString::fromLocal8Bit(file.GetValue().c_str()));
    }
}

SlaveDownloader::~SlaveDownloader() = default;

// --- buttons ---------------------------------------------------------------

void SlaveDownloader::GetVersion() {
    if (_coreDevice != nullptr) {
        _coreDevice->EnterSlaveBootloader();
    }
}

void SlaveDownloader::ReadExtraFlags() {
    _device->Send("d");
}

void SlaveDownloader::StateChange(int state) {
    if (state == 0) {
        GetVersion();
    }
}

void SlaveDownloader::SelectVmxFile() {
    PickDownloadFile(this, ui->lineFilePath, QStringLiteral("vmx_file/normal.vmx"),
                     tr("Select Slave File..."), tr("Slave files(*.vmx);;All files(*.*)"),
                     "Select vmx file");
}

void SlaveDownloader::RetryGetVersion() {
    _bootloaderVersion.clear();
    LOG4CPLUS_INFO(OperationLogger(), "Slave download 'recheck' button clicked");
    ui->lineVersion->clear();
    if (_coreDevice != nullptr) {
        _coreDevice->ExitSlaveBootloader();
        _device->Sleep(50);
        _coreDevice->EnterSlaveBootloader();
    }
    disconnect(ui->buttonDownload, &QPushButton::clicked, this, &SlaveDownloader::Download);
    disconnect(ui->buttonDownload, &QPushButton::clicked, this, &QDialog::accept);
    ui->buttonDownload->setText(tr("Download"));
    connect(ui->buttonDownload, &QPushButton::clicked, this, &SlaveDownloader::Download);
}

// --- image -----------------------------------------------------------------

bool SlaveDownloader::LoadVmxFile(const char* fileName) {
    _commandIndex = 0;
    _commands.clear();
    SlaveImages image;
    const QString loadFail = tr("Load vmx file fail");
    if (!image.Load(fileName)) {
        Warn(loadFail, tr("Please select a correct vmx file for slave."),
             QString::fromStdString(image.ErrorText()));
        return false;
    }
    ConfigParameter speed;
    if (_settings != nullptr) {
        _settings->GetParameter("port_bit_rate", speed);
    }
    bool built = false;
    if (speed.GetValue() == "230400") {
        built = image.BuildCommands(&_commands);
    } else if (speed.GetValue() == "460800") {
        built = image.BuildCommandsHighSpeed(&_commands);
    } else {
        Warn(loadFail, tr("Please select a correct vmx file for slave."),
             tr("The port speed setting \"port_bit_rate\" is \"%1\"; it must be 230400 or 460800.")
                 .arg(QString::fromLocal8Bit(speed.GetValue().c_str())));
        return false;
    }
    if (!built) {
        Warn(loadFail, tr("Please select a correct vmx file for slave."),
             QString::fromStdString(image.ErrorText()));
        return false;
    }
    if (image.GetVersion().empty()) {
        _commands.clear();
        Warn(loadFail,
             tr("Read vmx file version fail, Please select a correct vmx file for slave."));
        return false;
    }
    // An image without records would be reported as downloaded having sent nothing.
    if (!HasWriteCommand(_commands)) {
        _commands.clear();
        Warn(loadFail, tr("Please select a correct vmx file for slave."),
             tr("The image holds no records."));
        return false;
    }
    if (_bootloaderVersion.empty()) {
        _commands.clear();
        Warn(tr("Read bootloader version fail"),
             tr("Please clicked Recheck button or download the correct bootloader"));
        return false;
    }
    ui->progressDownload->setMaximum(static_cast<int>(_commands.size()) - 1);
    ui->progressDownload->setValue(0);
    return true;
}

void SlaveDownloader::Warn(const QString& title, const QString& text, const QString& reason) {
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, this);
    if (!reason.isEmpty()) {
        box.setInformativeText(reason);
    }
    box.exec();
}

// --- sending ---------------------------------------------------------------

void SlaveDownloader::Download() {
    LOG4CPLUS_INFO(OperationLogger(), "Slave 'Download' button clicked");
    const QByteArray file = ui->lineFilePath->text().toLocal8Bit();
    if (!LoadVmxFile(file.constData())) {
        return;
    }
    ui->buttonDownload->setEnabled(false);
    // A recheck between two records would restart the slave's bootloader.
    ui->buttonRetry->setEnabled(false);
    _downloadStarted = true;
    _vmxFile = file.toStdString();
    _downloading = true;
    if (_oldMaster) {
        RunTimedDownload();
    } else {
        StartHandshake();
    }
}

void SlaveDownloader::StartHandshake() {
    if (!RunDelays()) {
        return;
    }
    // The load refused images without records, and a leading run of delays
    // is followed by one.
    if (_commandIndex >= static_cast<int>(_commands.size())) {
        return;
    }
    const std::string& command = _commands[static_cast<size_t>(_commandIndex)];
    _device->Write(command.c_str());
    AppendLog(command);
    ++_commandIndex;
}

bool SlaveDownloader::RunDelays() {
    QPointer<SlaveDownloader> alive(this);
    while (_commandIndex < static_cast<int>(_commands.size()) &&
           _commands[static_cast<size_t>(_commandIndex)].empty()) {
        _device->Sleep(kDelayEntryMs);
        QCoreApplication::processEvents();
        if (!alive || _abort || !_downloading) {
            return false;
        }
        AppendLog(QStringLiteral("!delay"));
        ui->progressDownload->setValue(_commandIndex);
        ++_commandIndex;
    }
    return true;
}

void SlaveDownloader::SendNextRecord(const std::string& reply) {
    if (!RunDelays()) {
        return;
    }
    if (_commandIndex >= static_cast<int>(_commands.size())) {
        ReportSuccess(reply);
        return;
    }
    const std::string command = _commands[static_cast<size_t>(_commandIndex)];
    // A record of kind 00 restarts the slave's bootloader first.
    if (command.size() > 2 && command[1] == '0' && command[2] == '0' && _coreDevice != nullptr) {
        _coreDevice->EnterSlaveBootloader();
    }
    _device->Write(command.c_str());
    AppendLog(command);
    ui->progressDownload->setValue(_commandIndex);
    ++_commandIndex;
}

void SlaveDownloader::RunTimedDownload() {
    QPointer<SlaveDownloader> alive(this);
    for (; _commandIndex < static_cast<int>(_commands.size()); ++_commandIndex) {
        // An "F" reply or a lost slave ends the download between two records.
        if (_abort || !_downloading) {
            StopTimedDownload();
            return;
        }
        const std::string entry = _commands[static_cast<size_t>(_commandIndex)];
        if (entry.empty()) {
            _device->Sleep(kDelayEntryMs);
            AppendLog(QStringLiteral("!delay"));
        } else {
            _device->Send(entry.c_str());
            AppendLog(entry);
        }
        if (WriteFailed()) {
            LOG4CPLUS_INFO(OperationLogger(), "Slave disconnect when downloading");
            _abort = true;
            continue;
        }
        _device->Sleep(kTimedPauseMs);
        QCoreApplication::processEvents(QEventLoop::AllEvents, kTimedEventMs);
        if (!alive) {
            return;
        }
        ui->progressDownload->setValue(_commandIndex);
    }
    // A slave lost during the last record is no success.
    if (_abort || !_downloading) {
        StopTimedDownload();
        return;
    }
    _device->Sleep(kTimedPauseMs);
    _device->Send("Q");
    AppendLog(QString::fromLatin1(kSuccessLine));
    SaveDownloadFile();
    FinishButton(tr("OK"));
    _downloading = false;
    _device->Sleep(kTimedPauseMs);
}

void SlaveDownloader::StopTimedDownload() {
    // An "F" reply has told its failure already.
    if (_downloading) {
        _downloading = false;
        AppendLog(QStringLiteral("<FONT COLOR=red>The slave download fail!</FONT>"));
    }
    reject();
}

// A port that hung up (the adapter pulled) refuses every write.
bool SlaveDownloader::WriteFailed() const {
    return _device->lastError() == E_WRITE_FAILED;
}

// --- replies ---------------------------------------------------------------

void SlaveDownloader::ReadSerialPort() {
    if (_device == nullptr || _reader.Read(*_device) == ReadResult::Nothing) {
        return;
    }
    // Handling a line lets GUI events run, which may read again; the walk
    // keeps its own list.
    QPointer<SlaveDownloader> alive(this);
    ForEachLine(_reader.Lines(),
                [this, &alive](const std::string& line) { return HandleLine(line) && alive; });
}

bool SlaveDownloader::HandleLine(const std::string& line) {
    const ReplyPatterns& patterns = Patterns();
    boost::smatch match;
    if (boost::regex_search(line, match, patterns.bootloader)) {
        ui->lineVersion->setText(QString::fromStdString(match[1].str()));
        _bootloaderVersion = match[3].str();
        if (!_downloading) {
            ui->buttonDownload->setEnabled(true);
        }
        return true;
    }
    if (boost::regex_search(line, match, SlaveBootloaderReplies::Acknowledge())) {
        return HandleAcknowledge(match[0].str(), match[1].str());
    }
    if (boost::regex_search(line, match, patterns.success)) {
        // Only a download of this dialog can succeed.
        if (_downloadStarted) {
            ReportSuccess(match[0].str());
        }
        return true;
    }
    if (boost::regex_search(line, match, SlaveBootloaderReplies::Fail())) {
        if (_downloadStarted) {
            HandleFailReply(match[0].str(), match[1].str(), match[2].str(), match[3].str());
        }
        return true;
    }
    if (boost::regex_search(line, patterns.twoBytesAtEnd)) {
        return true;
    }
    if (!_abort && boost::regex_search(line, patterns.slaveLost)) {
        return HandleSlaveLost();
    }
    return true;
}

bool SlaveDownloader::HandleAcknowledge(const std::string& text, const std::string& flags) {
    if (_oldMaster) {
        return true;
    }
    QPointer<SlaveDownloader> alive(this);
    QCoreApplication::processEvents();
    if (!alive) {
        return false;
    }
    if (!_downloading) {
        return true;
    }
    const int status = SlaveBootloaderReplies::HexNumber(flags);
    if (status != 0) {
        ReportStatusFlags(status);
        ReportFailure();
        return true;
    }
    if (_commandIndex < static_cast<int>(_commands.size())) {
        SendNextRecord(text);
    } else {
        ReportSuccess(text);
    }
    return true;
}

void SlaveDownloader::HandleFailReply(const std::string& text, const std::string& lineHigh,
                                      const std::string& lineLow, const std::string& flags) {
    _downloading = false;
    LOG4CPLUS_INFO(OperationLogger(), "Check crc error");
    AppendLog("<FONT COLOR=red>" + text + "</FONT>");
    AppendLog(QStringLiteral("<FONT COLOR=red>The slave download fail!</FONT>"));
    const int errorLine = SlaveBootloaderReplies::HexNumber(lineHigh) * 256 +
                          SlaveBootloaderReplies::HexNumber(lineLow);
    AppendLog(
        QStringLiteral("<FONT COLOR=red>The number of error line is %1</FONT>").arg(errorLine));
    ReportStatusFlags(SlaveBootloaderReplies::HexNumber(flags));
    ReportFailure();
}

bool SlaveDownloader::HandleSlaveLost() {
    disconnect(_device, &QIODevice::readyRead, this, &SlaveDownloader::ReadSerialPort);
    LOG4CPLUS_INFO(OperationLogger(), "Slave disconnect when downloading");
    _abort = true;
    QMessageBox::question(parentWidget(), tr("Enter Drawing Mode..."),
                          tr("<FONT COLOR=red>Time out error!Please check the connection of slave "
                             "and retry downloading.</FONT>"),
                          QMessageBox::StandardButtons(QMessageBox::Ok));
    return false;
}

// --- outcome ---------------------------------------------------------------

void SlaveDownloader::ReportSuccess(const std::string& reply) {
    _downloading = false;
    LOG4CPLUS_INFO(OperationLogger(), "Slave download successfully");
    AppendLog("<FONT COLOR=darkviolet>" + reply + "</FONT>");
    AppendLog(QString::fromLatin1(kSuccessLine));
    SaveDownloadFile();
    FinishButton(tr("OK"));
}

void SlaveDownloader::ReportStatusFlags(int flags) {
    for (const std::string& line : SlaveBootloaderReplies::StatusFlagLines(flags)) {
        AppendLog(QString::fromStdString(line));
    }
}

void SlaveDownloader::ReportFailure() {
    AppendLog(QString::fromLatin1(kRecheckAdvice));
    _downloading = false;
    FinishButton(tr("Fail"));
}

void SlaveDownloader::FinishButton(const QString& text) {
    disconnect(ui->buttonDownload, &QPushButton::clicked, this, &SlaveDownloader::Download);
    ui->buttonDownload->setText(text);
    connect(ui->buttonDownload, &QPushButton::clicked, this, &QDialog::accept,
            Qt::UniqueConnection);
    ui->buttonDownload->setEnabled(true);
    ui->buttonRetry->setEnabled(true);
}

void SlaveDownloader::SaveDownloadFile() {
    if (_settings == nullptr) {
        return;
    }
    _settings->SetParameter(ConfigParameter("slave_download_file", _vmxFile));
    const QByteArray config = platform::ConfigFilePath().toLocal8Bit();
    _settings->Save(config.constData());
}

void SlaveDownloader::AppendLog(const QString& html) {
    ui->textBrowserLog->append(html);
}

void SlaveDownloader::AppendLog(const std::string& text) {
    ui->textBrowserLog->append(QString::fromLocal8Bit(text.c_str()));
}

// --- closing ---------------------------------------------------------------

bool SlaveDownloader::TimedDownloadRunning() const {
    return _oldMaster && _downloading;
}

void SlaveDownloader::closeEvent(QCloseEvent* event) {
    if (TimedDownloadRunning()) {
        // The timed loop ends the dialog before its next record; the exit
        // sequence goes out then, not between two records.
        _abort = true;
        event->ignore();
        return;
    }
    EndSession();
    QDialog::closeEvent(event);
}

void SlaveDownloader::DeviceDisconnect() {
    _abort = true;
    if (!TimedDownloadRunning()) {
        close();
    }
}

void SlaveDownloader::done(int r) {
    if (TimedDownloadRunning()) {
        _abort = true;
        return;
    }
    // QDialog closes the window itself but keeps the close event from us.
    QDialog::done(r);
    EndSession();
}

void SlaveDownloader::EndSession() {
    if (_sessionEnded) {
        return;
    }
    _sessionEnded = true;
    // Nothing more is sent once the dialog has gone.
    _abort = true;
    disconnect(_device, &QIODevice::readyRead, this, &SlaveDownloader::ReadSerialPort);
    if (_coreDevice != nullptr) {
        _coreDevice->ExitSlaveBootloader();
    }
}

}  // namespace morvex_gui
