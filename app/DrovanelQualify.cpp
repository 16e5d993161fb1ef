#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QListWidget>
#include <QMessageBox>
#include <cstdio>

#include "Drovanel.h"
#include "MorvexGenerator.h"
#include "OperationLog.h"
#include "ProgramPaths.h"
#include "QualificationSetup.h"
#include "QualifyLogDialog.h"
#include "Settings.h"
#include "StringConvert.h"
#include "TuneInitDevice.h"
#include "WholeFileWriter.h"

namespace {

constexpr int kRegisterPauseMs = 50;
// The finger and noise positions are the last rows of the tune list.
constexpr int kPositionRows = 4;

const char* const kAnalysis = "qualification/finger_vs_noise.pl";
const char* const kScript = "script_files/ScriptLog.sh";
const char* const kShell = "bin/bash.exe";

// The SPI speeds that logging mode changes, put back from the values the
// tune panel read, with their registers.
struct SpiSpeed {
    const char* setting;
    int code;
};

const SpiSpeed kSpiSpeeds[] = {
    {"SPI_SPEED_ME0_X", 0x61},
    {"SPI_SPEED_ME0_Y", 0x63},
    {"SPI_SPEED_ME1_LX", 0x69},
    {"SPI_SPEED_ME1_LY", 0x6B},
};

// A path as one word of the shell's command line: every character the
// shell would treat specially gets a backslash; with `dots`, dots as well.
QString ShellWord(const QString& path, bool dots) {
    static const QString special = QStringLiteral(" \t'\"\\$`&;|<>()*?[]{}!#~^");
    QString word;
    for (const QChar c : path) {
        if (special.contains(c) || (dots && c == QLatin1Char('.'))) {
            word += QLatin1Char('\\');
        }
        word += c;
    }
    return word;
}

}  // namespace

void Drovanel::ConnectQualification() {
    connect(ui.buttonTuneQualify, &QPushButton::clicked, this, &Drovanel::Qualification);
    connect(_process, &QProcess::finished, this, &Drovanel::ProcessFinish);
    // A shell that cannot be started ends no process; it is reported all the same.
    connect(_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            ShowScriptFailure(tr("Run script file fail!"));
        }
    });
}

void Drovanel::Qualification() {
    const QString logFile =
        QFileDialog::getSaveFileName(this, tr("Select Log File..."), QDir::currentPath(),
                                     tr("Log files(*.log);;All files(*.*)"));
    if (logFile.isEmpty()) {
        return;
    }
    _settings->SetParameter(
        ConfigParameter("qualify_log_file", logFile.toLocal8Bit().toStdString()));
    // The positions to check before logging.
    ui.listTuneParameters->setCurrentRow(ui.listTuneParameters->count() - kPositionRows);
    auto* setup = new QualificationSetup(this);
    if (setup->exec() != QDialog::Accepted) {
        delete setup;
        return;
    }
    LOG4CPLUS_INFO(OperationLogger(), "Start Qualification");
    _settings->SetParameter(
        ConfigParameter("qualification_lines", setup->Lines().toLocal8Bit().toStdString()));
    _link.Lend();
    auto* logger = new morvex_gui::QualifyLogDialog(_settings, _device, this);
    logger->exec();
    delete logger;
    if (WriteAnalysisScript(logFile)) {
        RunAnalysisScript();
    }
    _link.TakeBack();
    LOG4CPLUS_INFO(OperationLogger(), "Exit Qualification");
    // An adapter pulled during the logging has closed the port: nothing to restore.
    if (_device->isOpen()) {
        _device->I2cMode();
        RestoreSpiSpeeds();
        _device->TuneInit();
        RefreshAllParameters();
    }
    delete setup;
}

// One line, no line end: the analysis of the log.
bool Drovanel::WriteAnalysisScript(const QString& logFile) {
    const QString command = QStringLiteral("perl.exe ") +
                            ShellWord(platform::ProgramFilePath(QLatin1String(kAnalysis)), true) +
                            QLatin1Char(' ') + ShellWord(logFile, false);
    const QString script = platform::ProgramFilePath(QLatin1String(kScript));
    QString error;
    if (!platform::WholeFileWriter::Save(script, command.toLocal8Bit(), &error)) {
        // The old script would analyse the wrong log.
        LOG4CPLUS_WARN(OperationLogger(),
                       "Script file not written: " << error.toLocal8Bit().constData());
        ShowScriptFailure(tr("Can't write the script file %1!").arg(script));
        return false;
    }
    QFile::setPermissions(script, QFile::permissions(script) | QFile::ExeOwner);
    return true;
}

void Drovanel::RunAnalysisScript() {
    if (_process->state() != QProcess::NotRunning) {
        ShowScriptFailure(tr("The last qualification script is still running!"));
        return;
    }
    const QString script = ShellWord(platform::ProgramFilePath(QLatin1String(kScript)), false);
    _process->start(MorvexGenerator::ToolChainPath(QLatin1String(kShell)),
                    QStringList{QStringLiteral("-l"), QStringLiteral("-c"), script},
                    QIODevice::ReadWrite);
}

void Drovanel::RestoreSpiSpeeds() {
    for (const SpiSpeed& speed : kSpiSpeeds) {
        char command[32];
        std::snprintf(command, sizeof command, "w%02X%02Xs", speed.code,
                      static_cast<unsigned>(StringToInt(_settings->GetValue(speed.setting))));
        _device->Send(command);
        _device->Sleep(kRegisterPauseMs);
    }
}

void Drovanel::ProcessFinish(int, QProcess::ExitStatus exitStatus) {
    if (exitStatus != QProcess::NormalExit) {
        ShowScriptFailure(tr("Run script file fail!"));
    }
}

void Drovanel::ShowScriptFailure(const QString& text) {
    QMessageBox::warning(this, tr("Qualification error!"), text, QMessageBox::Ok);
}
