#include "FileCopy.h"

#include <QFile>
#include <QSaveFile>

#include "OperationLog.h"

namespace {

constexpr qint64 kChunkSize = 65536;

}  // namespace

FileCopy::FileCopy(QString source, QString target)
    : _source(std::move(source)), _target(std::move(target)) {}

// An unfinished copy is discarded with its temporary file.
FileCopy::~FileCopy() = default;

bool FileCopy::Prepare() {
    QFile in(_source);
    if (!in.open(QIODevice::ReadOnly)) {
        return Fail(QStringLiteral("the source cannot be read: ") + in.errorString());
    }
    _copy = std::make_unique<QSaveFile>(_target);
    if (!_copy->open(QIODevice::WriteOnly)) {
        return Fail(QStringLiteral("the copy cannot be written: ") + _copy->errorString());
    }
    QByteArray chunk;
    while (!(chunk = in.read(kChunkSize)).isEmpty()) {
        if (_copy->write(chunk) != chunk.size()) {
            return Fail(QStringLiteral("the copy cannot be written: ") + _copy->errorString());
        }
    }
    if (in.error() != QFileDevice::NoError) {
        return Fail(QStringLiteral("the source cannot be read: ") + in.errorString());
    }
    return true;
}

bool FileCopy::Commit() {
    if (!_copy || !_copy->isOpen()) {
        return Fail(QStringLiteral("the copy was not written"));
    }
    if (!_copy->commit()) {
        return Fail(QStringLiteral("the copy cannot be put in place: ") + _copy->errorString());
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

bool FileCopy::Fail(const QString& reason) {
    _copy.reset();
    _error =
        QStringLiteral("%1 was not replaced by a copy of %2 (%3)").arg(_target, _source, reason);
    LOG4CPLUS_WARN(OperationLogger(), "File copy failed: " << _error.toLocal8Bit().constData());
    return false;
}
