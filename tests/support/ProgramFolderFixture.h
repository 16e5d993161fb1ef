#pragma once

#include <log4cplus/appender.h>
#include <QByteArray>
#include <QString>
#include <string>

#include "SleepRecorder.h"
#include "TempProgramDir.h"

// What every test of a main window needs besides the window: a scratch
// program folder with an empty port registry (a BridgePeer made afterwards
// lists its port there), device pauses recorded instead of waited for, and
// the operation log in the folder's User.log.
class ProgramFolderFixture {
public:
    ProgramFolderFixture();
    ~ProgramFolderFixture();

    Q_DISABLE_COPY(ProgramFolderFixture)

    // config.ini as INI text; before the window is made.
    void WriteConfig(const QByteArray& ini);
    // The operation log so far.
    QString Log() const;
    TempProgramDir& Dir() { return _dir; }
    const TempProgramDir& Dir() const { return _dir; }
    SleepRecorder& Sleeps() { return _sleeps; }
    QString RegistryFile() const { return _dir.File(QStringLiteral("registry.ini")); }

    // The bridge's reply line to "v" for the master version `version`.
    static std::string MasterLine(const std::string& version);

private:
    TempProgramDir _dir;
    SleepRecorder _sleeps;
    QByteArray _previousRegistry;
    bool _hadRegistry;
    log4cplus::SharedAppenderPtr _log;
};
