#pragma once

#include <QString>
#include <memory>

class QSaveFile;

// Replaces a file by a copy of another without ever leaving it half-written
// or gone: the copy is written whole beside the target, then renamed over it.
// The source is read completely before the rename, so a file copied onto
// itself stays as it was. A failed step is logged and leaves the target
// untouched.
//
// Two files that belong together are each prepared first and committed
// after, so a source that cannot be read or a target that cannot be written
// stops both before either changes.
class FileCopy {
public:
    FileCopy(QString source, QString target);
    ~FileCopy();
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

private:
    bool Fail(const QString& reason);

    QString _source;
    QString _target;
    std::unique_ptr<QSaveFile> _copy;
    QString _error;
};
