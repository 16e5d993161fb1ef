#pragma once

#include <QByteArray>
#include <QString>
#include <string>

namespace platform {

// Writes a file whole or not at all. The bytes go into a new file beside the
// target; only when every write, the flush to the disk and the close have
// succeeded is that file renamed over the target. A full disk therefore never
// costs the file that was there: on any failure the target keeps its bytes, the
// new file is removed, and Error() names the file and the system's reason.
//
// The target's permissions carry over; a symbolic link is followed, so the
// file it names is replaced and the link stays. A device, pipe or socket is
// never replaced.
class WholeFileWriter {
public:
    enum class Placement {
        Replace,       // over whatever file the target is
        KeepExisting,  // fails with TargetTaken() when the target exists
    };

    explicit WholeFileWriter(QString target);
    // An unfinished file is removed; the target is left as it was.
    ~WholeFileWriter();
    WholeFileWriter(const WholeFileWriter&) = delete;
    WholeFileWriter& operator=(const WholeFileWriter&) = delete;

    // Creates the new file beside the target.
    bool Open();
    bool Write(const char* data, qint64 size);
    bool Write(const QByteArray& bytes) { return Write(bytes.constData(), bytes.size()); }
    // Every byte is on the disk and the new file is closed; the target is
    // not touched yet, so several files can be made ready before any is placed.
    bool Finish();
    // Finishes if need be, then puts the new file in the target's place.
    bool Commit(Placement placement = Placement::Replace);
    // Drops the new file; the target stays as it was.
    void Discard();

    // "<file>: <reason>", for the operator and the log.
    const QString& Error() const { return _error; }
    // The commit failed only because KeepExisting found the name taken.
    bool TargetTaken() const { return _targetTaken; }

    // Open, Write and Commit in one go; `error` (if given) receives Error().
    static bool Save(const QString& target, const QByteArray& bytes, QString* error = nullptr,
                     Placement placement = Placement::Replace);

private:
    bool Fail(const QString& reason);
    bool FailWithErrno();
    bool Place(Placement placement);

    QString _target;
    std::string _final;      // the target with its links followed
    std::string _temporary;  // the new file beside it
    int _descriptor = -1;
    bool _finished = false;
    bool _targetTaken = false;
    QString _error;
};

}  // namespace platform
