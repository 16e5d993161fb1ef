#include "ProgramFolderFixture.h"

#include "OperationLogSetup.h"

namespace {
const char* const kRegistryVariable = "MORVEX_REGISTRY_FILE";
}

ProgramFolderFixture::ProgramFolderFixture()
    : _previousRegistry(qgetenv(kRegistryVariable)),
      _hadRegistry(qEnvironmentVariableIsSet(kRegistryVariable)) {
    _dir.Write(QStringLiteral("registry.ini"), QByteArray());
    qputenv(kRegistryVariable, RegistryFile().toLocal8Bit());
    _log = StartOperationLog();
}

ProgramFolderFixture::~ProgramFolderFixture() {
    StopOperationLog(_log);
    if (_hadRegistry) {
        qputenv(kRegistryVariable, _previousRegistry);
    } else {
        qunsetenv(kRegistryVariable);
    }
}

void ProgramFolderFixture::WriteConfig(const QByteArray& ini) {
    _dir.Write(QStringLiteral("config.ini"), ini);
}

QString ProgramFolderFixture::Log() const {
    return QString::fromLocal8Bit(_dir.Read(QStringLiteral("User.log")));
}

std::string ProgramFolderFixture::MasterLine(const std::string& version) {
    return "Master version: I2C master for Q71 Morvex " + version;
}
