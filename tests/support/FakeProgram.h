#pragma once

#include <QString>

// Stands in for an external Windows program (a configuration tool, the tool
// chain's shell): an executable shell script under the program's name.
class FakeProgram {
public:
    // Writes `path` as "#!/bin/sh" followed by `body` and makes it executable.
    static bool Write(const QString& path, const QString& body);
    // A program that appends one line with its arguments, separated by "|",
    // to `callsFile` and exits with `exitCode`.
    static bool WriteRecorder(const QString& path, const QString& callsFile, int exitCode = 0);
};
