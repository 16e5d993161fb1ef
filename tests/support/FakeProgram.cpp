#include "FakeProgram.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

bool FakeProgram::Write(const QString& path, const QString& body) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    file.write("#!/bin/sh\n" + body.toLocal8Bit() + "\n");
    file.close();
    return file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                               QFile::ReadGroup | QFile::ExeGroup);
}

bool FakeProgram::WriteRecorder(const QString& path, const QString& callsFile, int exitCode) {
    return Write(
        path,
        QStringLiteral("(IFS='|'; echo \"$*\") >> '%1'\nexit %2").arg(callsFile).arg(exitCode));
}
