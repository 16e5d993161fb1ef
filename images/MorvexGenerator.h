#pragma once

#include <QDir>
#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QString>

// Turns a pattern XML into an EEPROM image with the external tool chain: the
// XML goes into the chain's input folder, the chain's script runs through its
// own shell, the script's output goes to the caller's log, and when the
// process ends the image it left is copied beside the program. Each run has
// exactly one outcome: Finish() (the process ended, whatever its exit code)
// or Fail() (the shell could not be run, crashed, or its pipes failed). The
// image of an earlier run is removed before a run starts.
//
// The chain lives under MORVEX_TOOLCHAIN_ROOT when that is set, else in its
// usual installation folder; below the root its own layout ("bin/bash.exe",
// "xml/", "eeprom_make/").
class MorvexGenerator : public QObject {
    Q_OBJECT
public:
    explicit MorvexGenerator(QObject* parent);
    // A run still going is ended quietly with the generator.
    ~MorvexGenerator() override;

    // Places the XML in the tool chain and starts its script. `log` is any
    // object with an append(QString) slot (a QTextEdit); it receives the
    // script's output, one paragraph per line, errors in red. False when
    // nothing was started (XML over 2 MiB, missing, or not copyable; a run
    // still in progress); then no signal follows.
    bool Generate(QString xmlFile, QObject* log);

    static QString ToolChainRoot();
    // The root joined with a relative name by "/".
    static QString ToolChainPath(const QString& relativeName);
    // The image the tool chain leaves behind.
    static QString ToolChainImage();

    static constexpr qint64 kMaximumXmlSize = 2097152;

signals:
    void Finish();
    void Fail();

private slots:
    void redFromStdOut();
    void redFromStdErr();
    void ProcessFinish(int exitCode, QProcess::ExitStatus exitStatus);
    void ProcessFail(QProcess::ProcessError error);

private:
    bool CopyToToolChain();
    void SplitXmlPath(const QString& xmlFile);
    void ShowLine(QString line);
    void ShowError(const QString& text);
    void AppendToLog(const QString& paragraph);
    void CopyImageBesideProgram();
    void ReportOutcome(bool finished);

    QProcess* _process;
    QPointer<QObject> _log;
    QString _sourceFolder;
    QDir _targetDir;
    QString _sourceName;
    QString _targetName;
    bool _outcomeGiven = false;
};
