#include "TempProgramDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TempProgramDir::TempProgramDir()
    : _previous(qgetenv("MORVEX_PROGRAM_DIR")),
      _hadPrevious(qEnvironmentVariableIsSet("MORVEX_PROGRAM_DIR")) {
    qputenv("MORVEX_PROGRAM_DIR", _dir.path().toLocal8Bit());
}

TempProgramDir::~TempProgramDir() {
    if (_hadPrevious) {
        qputenv("MORVEX_PROGRAM_DIR", _previous);
    } else {
        qunsetenv("MORVEX_PROGRAM_DIR");
    }
}

QString TempProgramDir::File(const QString& name) const { return _dir.path() + "/" + name; }

void TempProgramDir::Write(const QString& name, const QByteArray& contents) const {
    const QString path = File(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(contents);
    }
}

QByteArray TempProgramDir::Read(const QString& name) const {
    QFile file(File(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
