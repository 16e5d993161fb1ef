#include "MorvexGenerator.h"

#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QStringList>

#include "FileCopy.h"
#include "OperationLog.h"
#include "ProgramPaths.h"

namespace {

const char kDefaultToolChainRoot[] = "C:/GCC_morvex/msys/1.0";
const char kShell[] = "bin/bash.exe";
const char kInputFolder[] = "xml";
const char kImage[] = "eeprom_make/eeprom.vmx";
const char kInputName[] = "MORVEX_customer_pinmap.tmp";
const char kScript[] = "/script_files/ScriptVmx.sh";
const char kImageCopyFolder[] = "vmx_file";
const char kImageCopy[] = "vmx_file/eeprom.vmx";

QString RedParagraph(const QString& text) {
    return QStringLiteral("<FONT COLOR=red>") + text.toHtmlEscaped() + QStringLiteral("</FONT>");
}

QString WithoutLineEnd(QString text) {
    while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r'))) {
        text.chop(1);
    }
    return text;
}

// The shell takes the script path as a command line: the whole path goes in
// single quotes (a quote inside as '\''), so no character of the program's
// folder name can end the word or start a command.
QString QuotedScriptPath() {
    QString path = platform::ProgramDirectory() + QString::fromLatin1(kScript);
    path.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + path + QLatin1Char('\'');
}

}  // namespace

MorvexGenerator::MorvexGenerator(QObject* parent)
    : QObject(parent), _process(new QProcess(this)), _log(nullptr) {
    connect(_process, &QProcess::errorOccurred, this, &MorvexGenerator::ProcessFail);
    connect(_process, &QProcess::readyReadStandardOutput, this, &MorvexGenerator::redFromStdOut);
    connect(_process, &QProcess::readyReadStandardError, this, &MorvexGenerator::redFromStdErr);
    connect(_process, &QProcess::finished, this, &MorvexGenerator::ProcessFinish);
}

MorvexGenerator::~MorvexGenerator() {
    if (_process->state() != QProcess::NotRunning) {
        _process->disconnect(this);
        _process->kill();
        _process->waitForFinished(1000);
    }
}

QString MorvexGenerator::ToolChainRoot() {
    const QString root = qEnvironmentVariable("MORVEX_TOOLCHAIN_ROOT");
    return root.isEmpty() ? QString::fromLatin1(kDefaultToolChainRoot) : root;
}

QString MorvexGenerator::ToolChainPath(const QString& relativeName) {
    return ToolChainRoot() + QLatin1Char('/') + relativeName;
}

QString MorvexGenerator::ToolChainImage() {
    return ToolChainPath(QString::fromLatin1(kImage));
}

bool MorvexGenerator::Generate(QString xmlFile, QObject* log) {
    const QFileInfo xml(xmlFile);
    if (xml.exists() && xml.size() > kMaximumXmlSize) {
        LOG4CPLUS_WARN(OperationLogger(), "Pattern xml too large: " << xmlFile.toStdString());
        return false;
    }
    // One process object serves every run; a second start would be ignored
    // by it, and the first run's outcome would be taken for the second's.
    if (_process->state() != QProcess::NotRunning) {
        return false;
    }
    _log = log;
    _sourceFolder.clear();
    _targetDir = QDir();
    SplitXmlPath(xmlFile);
    _targetDir = QDir(ToolChainPath(QString::fromLatin1(kInputFolder)));
    _targetName = QString::fromLatin1(kInputName);
    if (!CopyToToolChain()) {
        LOG4CPLUS_WARN(OperationLogger(),
                       "Pattern xml not placed in the tool chain: " << xmlFile.toStdString());
        return false;
    }
    // An image left by an earlier run must never pass for this run's.
    if (QFile::exists(ToolChainImage()) && !QFile::remove(ToolChainImage())) {
        LOG4CPLUS_WARN(OperationLogger(), "Old eeprom image cannot be removed");
        return false;
    }
    _outcomeGiven = false;
    const QStringList arguments{QStringLiteral("-l"), QStringLiteral("-c"), QuotedScriptPath()};
    _process->start(ToolChainPath(QString::fromLatin1(kShell)), arguments, QIODevice::ReadWrite);
    return true;
}

// Only "/" separates components, as the paths the program builds use it.
void MorvexGenerator::SplitXmlPath(const QString& xmlFile) {
    const QStringList parts = xmlFile.split(QLatin1Char('/'));
    for (int i = 0; i + 1 < parts.size(); ++i) {
        _sourceFolder += parts[i] + QLatin1Char('/');
    }
    _sourceName = parts.last();
}

bool MorvexGenerator::CopyToToolChain() {
    const QDir source(_sourceFolder);
    QDir target(_targetDir);
    // Only the input folder itself is made: a missing tool chain stays missing.
    if (!target.exists() && !target.mkdir(target.absolutePath())) {
        return false;
    }
    if (!source.exists()) {
        return false;
    }
    return FileCopy::Replace(source.filePath(_sourceName), target.filePath(_targetName));
}

void MorvexGenerator::redFromStdOut() {
    while (_process->canReadLine()) {
        ShowLine(QString::fromLocal8Bit(_process->readLine()));
    }
}

void MorvexGenerator::redFromStdErr() {
    const QByteArray text = _process->readAllStandardError();
    if (!text.isEmpty()) {
        ShowError(WithoutLineEnd(QString::fromLocal8Bit(text)));
    }
}

void MorvexGenerator::ShowLine(QString line) {
    line = WithoutLineEnd(line);
    if (line.contains(QLatin1String("ERROR"), Qt::CaseInsensitive)) {
        ShowError(line);
    } else {
        AppendToLog(line.toHtmlEscaped());
    }
}

void MorvexGenerator::ShowError(const QString& text) {
    AppendToLog(RedParagraph(text));
}

void MorvexGenerator::AppendToLog(const QString& paragraph) {
    if (_log != nullptr) {
        QMetaObject::invokeMethod(_log.data(), "append", Qt::DirectConnection,
                                  Q_ARG(QString, paragraph));
    }
}

void MorvexGenerator::ProcessFinish(int, QProcess::ExitStatus exitStatus) {
    // A last line without its line end is still the script's to show.
    redFromStdOut();
    const QByteArray tail = _process->readAllStandardOutput();
    if (!tail.isEmpty()) {
        ShowLine(QString::fromLocal8Bit(tail));
    }
    redFromStdErr();
    // A crash has been reported as the run's failure already.
    if (exitStatus == QProcess::CrashExit) {
        ReportOutcome(false);
        return;
    }
    CopyImageBesideProgram();
    ReportOutcome(true);
}

// Exactly one outcome per run, whatever the process reports after it.
void MorvexGenerator::ReportOutcome(bool finished) {
    if (_outcomeGiven) {
        return;
    }
    _outcomeGiven = true;
    if (finished) {
        emit Finish();
    } else {
        emit Fail();
    }
}

// The copy is for the operator only: a failure is logged by the copy and
// changes nothing for the run, but an earlier run's image must not stay there
// as this run's.
void MorvexGenerator::CopyImageBesideProgram() {
    const QString destination = platform::ProgramFilePath(QString::fromLatin1(kImageCopy));
    QDir().mkpath(platform::ProgramFilePath(QString::fromLatin1(kImageCopyFolder)));
    if (!FileCopy::Replace(ToolChainImage(), destination)) {
        QFile::remove(destination);
    }
}

void MorvexGenerator::ProcessFail(QProcess::ProcessError error) {
    LOG4CPLUS_WARN(OperationLogger(), "Tool chain process error "
                                          << static_cast<int>(error) << ": "
                                          << _process->errorString().toStdString());
    ReportOutcome(false);
}
