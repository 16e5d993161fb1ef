#include "SlaveDownloadProgress.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QMessageBox>
#include <QTimer>
#include <algorithm>

#include "CoreDevice.h"
#include "LineDispatch.h"
#include "MorvexGenerator.h"
#include "OperationLog.h"
#include "SerialPortDialog.h"
#include "SlaveBootloaderReplies.h"
#include "SlaveImages.h"
#include "ui_SlaveDownloadProgress.h"

namespace morvex_gui {

namespace {

const char kSessionTag[] = "TuneDownload";
const char kAnnouncement[] = "loader information:";
const char kTimeOut[] = "TIME_OUT";
const char kDelayText[] = "!delay";

constexpr int kGenerationDelayMs = 200;
constexpr int kEventSliceMs = 100;
constexpr unsigned kCommandGapMs = 100;
constexpr unsigned kDelayEntryMs = 300;
constexpr unsigned kBetweenImagesMs = 300;

bool Contains(const std::string& line, const char* text) {
    return line.find(text) != std::string::npos;
}

}  // namespace

SlaveDownloadProgress::SlaveDownloadProgress(Device* device, const char* xmlFile,
                                             const char* firmwareFile, QWidget* parent)
    : QDialog(parent),
      _device(device),
      _canClose(true),
      _firmwarePhase(true),
      ui(new Ui::SlaveDownloadProgress),
      _xmlFile(xmlFile != nullptr ? xmlFile : ""),
      _firmwareFile(firmwareFile != nullptr ? firmwareFile : ""),
      _aborted(false),
      _awaitingBootloader(false),
      _ended(false),
      _sessionLogged(false),
      _generator(nullptr) {
    ui->setupUi(this);
    ui->buttonAccept->setEnabled(true);
    setWindowTitle(QStringLiteral("Generate Eeprom vmx file..."));
    QTimer::singleShot(kGenerationDelayMs, this, &SlaveDownloadProgress::CreateVmxFile);
    if (_device != nullptr) {
        connect(_device, &QIODevice::readyRead, this, &SlaveDownloadProgress::ReadSerialPort);
    }
    // Only the main windows carry the removal signal.
    if (parent != nullptr && parent->metaObject()->indexOfSignal("SignalDeviceDisconnect()") >= 0) {
        connect(parent, SIGNAL(SignalDeviceDisconnect()), this, SLOT(DeviceDisconnect()));
    }
}

// The controller is always left in its normal firmware, whatever happened.
SlaveDownloadProgress::~SlaveDownloadProgress() {
    auto* device = dynamic_cast<CoreDevice*>(_device);
    if (device != nullptr && device->isOpen()) {
        device->ExitSlaveBootloader();
    }
}

void SlaveDownloadProgress::CreateVmxFile() {
    if (_ended) {
        return;
    }
    _generator = new MorvexGenerator(this);
    connect(_generator, &MorvexGenerator::Finish, this, &SlaveDownloadProgress::ProcessFinish);
    connect(_generator, &MorvexGenerator::Fail, this, &SlaveDownloadProgress::ProcessFail);
    const QString xml = QString::fromLocal8Bit(_xmlFile.c_str());
    if (!QFile::exists(xml)) {
        QMessageBox::warning(this, QStringLiteral("Generate fail..."),
                             QStringLiteral("Open xml file fail"), QMessageBox::Ok);
        reject();
        return;
    }
    if (!_generator->Generate(xml, ui->textBrowser)) {
        _canClose = true;
        reject();
        QMessageBox::warning(
            parentWidget(), QStringLiteral("Generate Fail..."),
            QStringLiteral("<FONT COLOR=red>Generation of pattern vmx file failed, please select a "
                           "correct xml file and check the existence of the correct c:/GCC_morvex "
                           "environment and retry.</FONT>"),
            QMessageBox::Ok);
    }
}

void SlaveDownloadProgress::ProcessFinish() {
    // A tool chain that crashed reports its end after its failure; the
    // failure has already ended the dialog.
    if (_ended) {
        return;
    }
    StartDownload(_firmwareFile.c_str());
}

void SlaveDownloadProgress::ProcessFail() {
    if (_ended) {
        return;
    }
    _canClose = true;
    reject();
    QMessageBox::warning(parentWidget(), QStringLiteral("Generate Fail..."),
                         QStringLiteral("<FONT COLOR=red>Generate pattern vmx file fail, Please "
                                        "check if the full 'GCC_MORVEX' environment is "
                                        "installed.</FONT>"),
                         QMessageBox::Ok);
}

void SlaveDownloadProgress::StartDownload(const char* file) {
    setWindowTitle(_firmwarePhase ? QStringLiteral("Downloading Tune Fw vmx file...")
                                  : QStringLiteral("Downloading Eeprom vmx file..."));
    _commands.clear();
    SlaveImages image;
    if (image.Load(file) && image.BuildCommandsHighSpeed(&_commands)) {
        ui->progressBar->setMaximum(std::max(0, static_cast<int>(_commands.size()) - 1));
        ui->progressBar->setValue(0);
        _awaitingBootloader = true;
        EnterBootloader();
        return;
    }
    LOG4CPLUS_WARN(OperationLogger(), "Tune download image not usable: " << file);
    QMessageBox::warning(this, QStringLiteral("Download Fail"),
                         QStringLiteral("Download Vmx file fail."), QMessageBox::Ok);
    _canClose = true;
    reject();
}

void SlaveDownloadProgress::EnterBootloader() {
    if (auto* device = dynamic_cast<CoreDevice*>(_device)) {
        device->EnterSlaveBootloader();
    }
}

// Open-loop: the pace is fixed, replies are not awaited. Events run before
// each command, so a time-out report, the adapter's removal or the
// operator's close can stop the send between two commands.
void SlaveDownloadProgress::SendCommands() {
    _awaitingBootloader = false;
    ui->buttonAccept->setEnabled(false);
    _canClose = false;
    for (size_t i = 0; i < _commands.size(); ++i) {
        if (_canClose) {
            break;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, kEventSliceMs);
        if (_aborted) {
            reject();
            return;
        }
        SendOne(_commands[i]);
        Device::Sleep(kCommandGapMs);
        ui->progressBar->setValue(static_cast<int>(i));
    }
    if (_aborted) {
        reject();
        return;
    }
    FinishImage();
}

void SlaveDownloadProgress::SendOne(const std::string& command) {
    if (command.empty()) {
        Device::Sleep(kDelayEntryMs);
        ui->textBrowser->append(QString::fromLatin1(kDelayText));
        return;
    }
    _device->Send(command.c_str());
    ui->textBrowser->append(QString::fromLatin1(command.c_str()));
}

void SlaveDownloadProgress::FinishImage() {
    if (_firmwarePhase) {
        Device::Sleep(kBetweenImagesMs);
        _firmwarePhase = false;
        const QByteArray eeprom = MorvexGenerator::ToolChainImage().toLocal8Bit();
        StartDownload(eeprom.constData());
        return;
    }
    _canClose = true;
    ui->buttonAccept->setEnabled(true);
    if (ui->checkAutoClose->isChecked()) {
        accept();
    }
}

void SlaveDownloadProgress::ReadSerialPort() {
    if (_device == nullptr || _reader.Read(*_device) == ReadResult::Nothing) {
        return;
    }
    ForEachLine(_reader.Lines(), [this](const std::string& line) { return HandleLine(line); });
}

bool SlaveDownloadProgress::HandleLine(const std::string& line) {
    if (_ended) {
        return false;
    }
    if (Contains(line, kAnnouncement)) {
        if (!_awaitingBootloader) {
            return true;
        }
        // The rest of this read came before the image went out: a second
        // announcement in it must not start the next image unasked.
        SendCommands();
        return false;
    }
    if (Contains(line, kTimeOut)) {
        ReportTimeOut();
        return false;
    }
    std::vector<std::string> flagLines;
    if (IsBootloaderError(line, &flagLines)) {
        ReportBootloaderError(line, flagLines);
        return false;
    }
    return true;
}

bool SlaveDownloadProgress::IsBootloaderError(const std::string& line,
                                              std::vector<std::string>* flagLines) const {
    boost::smatch match;
    int flags = 0;
    if (boost::regex_search(line, match, SlaveBootloaderReplies::Acknowledge())) {
        flags = SlaveBootloaderReplies::HexNumber(match[1].str());
        if (flags == 0) {
            return false;
        }
    } else if (boost::regex_search(line, match, SlaveBootloaderReplies::Fail())) {
        flags = SlaveBootloaderReplies::HexNumber(match[3].str());
    } else {
        return false;
    }
    *flagLines = SlaveBootloaderReplies::StatusFlagLines(flags);
    return true;
}

// The image was not written whole: the panel must not be taken for tuned.
void SlaveDownloadProgress::ReportBootloaderError(const std::string& line,
                                                  const std::vector<std::string>& flagLines) {
    LOG4CPLUS_WARN(OperationLogger(), "Tune download bootloader error: " << line);
    ui->textBrowser->append(QStringLiteral("<FONT COLOR=red>") +
                            QString::fromLatin1(line.c_str()).toHtmlEscaped() +
                            QStringLiteral("</FONT>"));
    for (const std::string& flagLine : flagLines) {
        ui->textBrowser->append(QString::fromStdString(flagLine));
    }
    ui->textBrowser->append(QStringLiteral("<FONT COLOR=red>The slave download fail!</FONT>"));
    Abort();
    QMessageBox::warning(parentWidget(), QStringLiteral("Download Fail"),
                         QStringLiteral("<FONT COLOR=red>The slave download fail!</FONT>"),
                         QMessageBox::Ok);
}

void SlaveDownloadProgress::Abort() {
    _aborted = true;
    _canClose = true;
    reject();
}

void SlaveDownloadProgress::ReportTimeOut() {
    Abort();
    QMessageBox::question(parentWidget(), QStringLiteral("Enter Drawing Mode..."),
                          QStringLiteral("<FONT COLOR=red>Time out error!Please check the "
                                         "connection of slave and retry downloading.</FONT>"),
                          QMessageBox::StandardButtons(QMessageBox::Ok));
}

void SlaveDownloadProgress::DeviceDisconnect() {
    Abort();
}

void SlaveDownloadProgress::closeEvent(QCloseEvent* event) {
    if (!_canClose) {
        const QMessageBox::StandardButton answer = QMessageBox::question(
            nullptr, QStringLiteral("Warning..."),
            QStringLiteral("Downloading is not finished yet, are you sure quit downloading now?"),
            QMessageBox::Yes | QMessageBox::No);
        if (answer != QMessageBox::Yes) {
            event->ignore();
            return;
        }
        _aborted = true;
    }
    _ended = true;
    event->accept();
}

void SlaveDownloadProgress::done(int result) {
    // A send that stops on an abort ends the dialog once more.
    if (!_sessionLogged) {
        _sessionLogged = true;
        SerialPortDialog::WriteSessionLog(ui->textBrowser, QString::fromLatin1(kSessionTag));
    }
    _ended = true;
    QDialog::done(result);
}

}  // namespace morvex_gui
