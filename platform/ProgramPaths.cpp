#include "ProgramPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace platform {

namespace {

QString ExecutableDirectory() {
    if (QCoreApplication::instance() != nullptr) {
        return QCoreApplication::applicationDirPath();
    }
    // Without an application object (core tests), ask the kernel.
    QFileInfo self(QStringLiteral("/proc/self/exe"));
    return self.canonicalFilePath().isEmpty() ? QDir::currentPath()
                                              : QFileInfo(self.canonicalFilePath()).absolutePath();
}

}  // namespace

QString ProgramDirectory() {
    const QByteArray overridden = qgetenv("MORVEX_PROGRAM_DIR");
    if (!overridden.isEmpty()) {
        return QString::fromLocal8Bit(overridden);
    }
    return ExecutableDirectory();
}

QString ProgramFilePath(const QString& relativeName) {
    QString name = relativeName;
    while (name.startsWith(QLatin1Char('/'))) {
        name.remove(0, 1);
    }
    return ProgramDirectory() + QLatin1Char('/') + name;
}

QString ConfigFilePath() {
    return ProgramFilePath(QStringLiteral("config.ini"));
}

}  // namespace platform
