#pragma once

#include <QString>

#include "WholeFileWriter.h"

// Replaces a file by a copy of another without ever leaving it half-written
// or gone: the copy is written whole beside the target, then renamed over it.
// The source is read completely before the rename, so a file copied onto
// itself stays as it was. A failed step is logged and leaves the target
// untouched.
//
// Two files that belong together are each prepared first and placed as a
// pair after, so a source that cannot be read or a target that cannot be
// written stops both before either changes.
class FileCopy {
public:
    // How placing a pair ended.
    enum class Pair {
        Placed,   // both targets hold their new copies
        KeptOld,  // both targets hold what they held before
        Mixed,    // the first holds its new copy, the second its old bytes
    };

    FileCopy(QString source, QString target);
    FileCopy(const FileCopy&) = delete;
    FileCopy& operator=(const FileCopy&) = delete;

    // Writes the whole copy beside the target; the target is not touched yet.
    bool Prepare();
    // Renames the prepared copy over the target.
    bool Commit();
    // What went wrong, naming both files: for the operator and the log.
    const QString& Error() const { return _error; }

    // Prepare and Commit in one go; `error` (if given) receives Error().
    static bool Replace(const QString& source, const QString& target, QString* error = nullptr);
    // Places two prepared copies as one pair: the first target's old bytes
    // are kept until the second is in place, and put back when it cannot be.
    static Pair CommitPair(FileCopy& first, FileCopy& second);

private:
    bool Fail(const QString& reason);

    QString _source;
    QString _target;
    platform::WholeFileWriter _copy;
    bool _prepared = false;
    QString _error;
};
