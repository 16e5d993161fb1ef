#include "WholeFileWriter.h"

#include <QRandomGenerator>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

namespace platform {

namespace {

constexpr int kMaxLinks = 40;
constexpr int kNameAttempts = 32;
constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask, as any new file

std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The file a path names once its symbolic links are followed, whether or not
// that file exists yet. Empty with errno set when the links loop.
std::string FollowLinks(std::string path) {
    for (int hop = 0; hop < kMaxLinks; ++hop) {
        struct stat status;
        if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            return path;
        }
        char target[PATH_MAX];
        const ssize_t length = readlink(path.c_str(), target, sizeof target);
        if (length <= 0 || length == static_cast<ssize_t>(sizeof target)) {
            return path;
        }
        const std::string link(target, static_cast<size_t>(length));
        path = link.front() == '/' ? link : DirectoryOf(path) + link;
    }
    errno = ELOOP;
    return std::string();
}

std::string RandomSuffix() {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string suffix = ".";
    for (int i = 0; i < 6; ++i) {
        suffix += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))];
    }
    return suffix;
}

bool IsSpecialFile(mode_t mode) {
    return S_ISCHR(mode) || S_ISBLK(mode) || S_ISFIFO(mode) || S_ISSOCK(mode);
}

// Renames without replacing: the name is taken only when nothing holds it.
int RenameIfFree(const char* from, const char* to) {
    if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return -1;
    }
    // A file system without that rename: a hard link takes a free name only.
    if (link(from, to) != 0) {
        return -1;
    }
    unlink(from);
    return 0;
}

}  // namespace

WholeFileWriter::WholeFileWriter(QString target) : _target(std::move(target)) {}

WholeFileWriter::~WholeFileWriter() {
    Discard();
}

bool WholeFileWriter::Open() {
    Discard();
    _error.clear();
    _targetTaken = false;
    _final = FollowLinks(_target.toLocal8Bit().toStdString());
    if (_final.empty()) {
        return FailWithErrno();
    }
    struct stat status;
    const bool exists = stat(_final.c_str(), &status) == 0;
    if (exists && IsSpecialFile(status.st_mode)) {
        return Fail(QStringLiteral("not a regular file"));
    }
    for (int attempt = 0; attempt < kNameAttempts && _descriptor < 0; ++attempt) {
        _temporary = _final + RandomSuffix();
        _descriptor =
            open(_temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
        if (_descriptor < 0 && errno != EEXIST) {
            break;
        }
    }
    if (_descriptor < 0) {
        _temporary.clear();
        return FailWithErrno();
    }
    if (exists) {
        fchmod(_descriptor, status.st_mode & 07777);
    }
    _finished = false;
    return true;
}

bool WholeFileWriter::Write(const char* data, qint64 size) {
    if (_descriptor < 0) {
        return _error.isEmpty() ? Fail(QStringLiteral("not open")) : false;
    }
    while (size > 0) {
        const ssize_t written = write(_descriptor, data, static_cast<size_t>(size));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return FailWithErrno();
        }
        data += written;
        size -= written;
    }
    return true;
}

bool WholeFileWriter::Finish() {
    if (_finished) {
        return true;
    }
    if (_descriptor < 0) {
        return _error.isEmpty() ? Fail(QStringLiteral("not open")) : false;
    }
    // A file system that cannot sync says so with EINVAL; its bytes are
    // written all the same.
    if (fdatasync(_descriptor) != 0 && errno != EINVAL) {
        return FailWithErrno();
    }
    const int descriptor = _descriptor;
    _descriptor = -1;
    if (close(descriptor) != 0 && errno != EINTR) {
        return FailWithErrno();
    }
    _finished = true;
    return true;
}

bool WholeFileWriter::Commit(Placement placement) {
    if (!Finish()) {
        return false;
    }
    if (!Place(placement)) {
        return false;
    }
    _temporary.clear();
    _finished = false;
    return true;
}

bool WholeFileWriter::Place(Placement placement) {
    if (placement == Placement::Replace) {
        return rename(_temporary.c_str(), _final.c_str()) == 0 || FailWithErrno();
    }
    if (RenameIfFree(_temporary.c_str(), _final.c_str()) == 0) {
        return true;
    }
    _targetTaken = errno == EEXIST;
    return FailWithErrno();
}

bool WholeFileWriter::Save(const QString& target, const QByteArray& bytes, QString* error,
                           Placement placement) {
    WholeFileWriter writer(target);
    const bool saved = writer.Open() && writer.Write(bytes) && writer.Commit(placement);
    if (error != nullptr) {
        *error = writer.Error();
    }
    return saved;
}

bool WholeFileWriter::FailWithErrno() {
    return Fail(QString::fromLocal8Bit(std::strerror(errno)));
}

bool WholeFileWriter::Fail(const QString& reason) {
    Discard();
    _error = _target + QStringLiteral(": ") + reason;
    return false;
}

void WholeFileWriter::Discard() {
    if (_descriptor >= 0) {
        close(_descriptor);
        _descriptor = -1;
    }
    if (!_temporary.empty()) {
        unlink(_temporary.c_str());
        _temporary.clear();
    }
    _finished = false;
}

}  // namespace platform
