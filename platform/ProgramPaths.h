#pragma once

#include <QString>

namespace platform {

// The folder that holds config.ini, User.log, Results/ and the other files the
// system keeps "in the program's directory". MORVEX_PROGRAM_DIR wins when set
// (tests always set it); otherwise the executable's folder. Read at each use.
QString ProgramDirectory();

// ProgramDirectory() joined with a relative name by "/".
QString ProgramFilePath(const QString& relativeName);

// The settings file, config.ini in the program's directory.
QString ConfigFilePath();

}  // namespace platform
