#include "QualifyLogDialog.h"

#include <QCloseEvent>
#include <QMessageBox>
#include <QTimer>
#include <boost/regex.hpp>

#include <cerrno>
#include <cstring>

#include "LineDispatch.h"
#include "OperationLog.h"
#include "Settings.h"
#include "StringConvert.h"
#include "TuneInitDevice.h"

namespace morvex_gui {

namespace {

constexpr int kStartDelayMs = 200;

#define MORVEX_QUALIFY_FIELD "([-+]\\d{5}\\s,)"
#define MORVEX_QUALIFY_LAST "([-+]\\d{5}\\s)"
#define MORVEX_QUALIFY_FIELDS                                                               \
    MORVEX_QUALIFY_FIELD MORVEX_QUALIFY_FIELD MORVEX_QUALIFY_FIELD MORVEX_QUALIFY_FIELD     \
        MORVEX_QUALIFY_FIELD MORVEX_QUALIFY_FIELD MORVEX_QUALIFY_FIELD MORVEX_QUALIFY_FIELD \
            MORVEX_QUALIFY_FIELD MORVEX_QUALIFY_FIELD MORVEX_QUALIFY_FIELD MORVEX_QUALIFY_LAST

// "Q:" and twelve fields, each a sign, five digits and a blank, the first
// eleven followed by a comma.
const boost::regex& LinePattern() {
    static const boost::regex pattern("Q:(" MORVEX_QUALIFY_FIELDS ")", boost::regex::perl);
    return pattern;
}

const boost::regex& FieldPattern() {
    static const boost::regex pattern(MORVEX_QUALIFY_FIELDS, boost::regex::perl);
    return pattern;
}

#undef MORVEX_QUALIFY_FIELDS
#undef MORVEX_QUALIFY_LAST
#undef MORVEX_QUALIFY_FIELD

const char* const kLabels =
    "spiME1x,$1spiME1y,$2M1_fingY,$3M1_fingX,$4M1_noisY,$5M1_noisX,$6spiME0x,$7spiME0y,$8M0_"
    "fingY,$9M0_fingX,$10M0_noisY,$11M0_noisX,$12";

}  // namespace

QualifyLogDialog::QualifyLogDialog(Settings* settings, Device* device, QWidget* parent)
    : SerialPortDialog(device, parent), _settings(settings) {
    ui.setupUi(this);
    QTimer::singleShot(kStartDelayMs, this, &QualifyLogDialog::StartLogging);
    connect(ui.buttonFinish, &QPushButton::clicked, this, &QualifyLogDialog::Finish);
    ConfigParameter lines;
    if (_settings->GetParameter("qualification_lines", lines)) {
        _maxLines = StringToInt(lines.GetValue());
    }
    ui.progressDownload->setMaximum(std::max(_maxLines, 1));
    ConfigParameter file;
    if (!_settings->GetParameter("qualify_log_file", file) || file.GetValue().empty()) {
        return;
    }
    _logPath = QString::fromLocal8Bit(file.GetValue().c_str());
    _logFile.open(file.GetValue(), std::ios::out | std::ios::trunc);
    if (_logFile.fail()) {
        QMessageBox::warning(this, tr("Logging fail!"), tr("Open logging file error!"),
                             QMessageBox::Ok);
        EndSession();
        // Closes as soon as it runs: nothing is logged.
        QMetaObject::invokeMethod(this, "close", Qt::QueuedConnection);
    }
}

QualifyLogDialog::~QualifyLogDialog() = default;

std::string QualifyLogDialog::LabelledLine(const std::string& line) {
    boost::smatch match;
    if (!boost::regex_search(line, match, LinePattern())) {
        return std::string();
    }
    return boost::regex_replace(match.str(1), FieldPattern(), kLabels);
}

void QualifyLogDialog::StartLogging() {
    if (_ended) {
        return;
    }
    if (auto* device = dynamic_cast<TuneInitDevice*>(_device)) {
        device->StartLogging();
    }
}

void QualifyLogDialog::Finish() {
    close();
}

void QualifyLogDialog::ReadSerialPort() {
    SerialPortDialog::ReadSerialPort();
    if (_bytesAvailable < 1 || _ended) {
        return;
    }
    ForEachLine(_lines, [this](const std::string& line) {
        if (LogLine(line)) {
            return true;
        }
        close();
        return false;
    });
}

// False once the line limit is reached: the limit counts the lines logged.
bool QualifyLogDialog::LogLine(const std::string& line) {
    const std::string labelled = LabelledLine(line);
    if (!labelled.empty()) {
        ++_loggedLines;
        ui.progressDownload->setValue(std::min(_loggedLines, ui.progressDownload->maximum()));
        if (_loggedLines <= _maxLines) {
            ui.textBrowserLog->setPlainText(QString::fromLatin1(labelled.c_str()));
            _logFile << labelled << '\n';
            _logFile.flush();
            if (_logFile.fail()) {
                EndWithShortLog(std::strerror(errno));
                return false;
            }
        }
    }
    return _loggedLines != _maxLines;
}

// A log that lost a line ends here, as one that could not be opened does;
// the analysis still runs on what it holds.
void QualifyLogDialog::EndWithShortLog(const char* reason) {
    const QString message = tr("The log file %1 cannot be written (%2): the log is short.")
                                .arg(_logPath, QString::fromLocal8Bit(reason));
    EndSession();
    LOG4CPLUS_WARN(OperationLogger(), message.toLocal8Bit().constData());
    QMessageBox::warning(this, tr("Logging fail!"), message, QMessageBox::Ok);
}

void QualifyLogDialog::EndSession() {
    if (_ended) {
        return;
    }
    _ended = true;
    _logFile.close();
    if (_device == nullptr) {
        return;
    }
    disconnect(_device, SIGNAL(readyRead()), this, SLOT(ReadSerialPort()));
    if (_device->isOpen()) {
        _device->NormalMode();
    }
}

}  // namespace morvex_gui
