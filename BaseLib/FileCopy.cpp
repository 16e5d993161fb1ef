#include "FileCopy.h"

#include <QFile>
#include <QFileInfo>

#include "OperationLog.h"

namespace {

constexpr qint64 kChunkSize = 65536;

}  // namespace

FileCopy::FileCopy(QString source, QString target)
    : _source(std::move(source)), _target(target), _copy(std::move(target)) {}

bool FileCopy::Prepare() {
    _prepared = false;
    QFile in(_source);
    if (!in.open(QIODevice::ReadOnly)) {
        return Fail(QStringLiteral("the source cannot be read: ") + in.errorString());
    }
    if (!_copy.Open()) {
        return Fail(QStringLiteral("the copy cannot be written: ") + _copy.Error());
    }
    QByteArray chunk;
    while (!(chunk = in.read(kChunkSize)).isEmpty()) {
        if (!_copy.Write(chunk)) {
            return Fail(QStringLiteral("the copy cannot be written: ") + _copy.Error());
        }
    }
    if (in.error() != QFileDevice::NoError) {
        return Fail(QStringLiteral("the source cannot be read: ") + in.errorString());
    }
    if (!_copy.Finish()) {
        return Fail(QStringLiteral("the copy cannot be written: ") + _copy.Error());
    }
    _prepared = true;
    return true;
}

bool FileCopy::Commit() {
    if (!_prepared) {
        return Fail(QStringLiteral("the copy was not written"));
    }
    _prepared = false;
    if (!_copy.Commit()) {
        return Fail(QStringLiteral("the copy cannot be put in place: ") + _copy.Error());
    }
    return true;
}

bool FileCopy::Replace(const QString& source, const QString& target, QString* error) {
    FileCopy copy(source, target);
    const bool replaced = copy.Prepare() && copy.Commit();
    if (error != nullptr) {
        *error = copy.Error();
    }
    return replaced;
}

FileCopy::Pair FileCopy::CommitPair(FileCopy& first, FileCopy& second) {
    // The first target's old bytes wait beside it, ready to go back.
    const bool hadOld = QFileInfo::exists(first._target);
    FileCopy oldBytes(first._target, first._target);
    if (hadOld && !oldBytes.Prepare()) {
        first.Fail(QStringLiteral("its old bytes cannot be kept: ") + oldBytes.Error());
        return Pair::KeptOld;
    }
    if (!first.Commit()) {
        return Pair::KeptOld;
    }
    if (second.Commit()) {
        return Pair::Placed;
    }
    const bool restored = hadOld ? oldBytes.Commit() : QFile::remove(first._target);
    return restored ? Pair::KeptOld : Pair::Mixed;
}

bool FileCopy::Fail(const QString& reason) {
    _copy.Discard();
    _prepared = false;
    _error =
        QStringLiteral("%1 was not replaced by a copy of %2 (%3)").arg(_target, _source, reason);
    LOG4CPLUS_WARN(OperationLogger(), "File copy failed: " << _error.toLocal8Bit().constData());
    return false;
}
