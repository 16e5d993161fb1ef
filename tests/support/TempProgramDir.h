#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A fresh program directory for one test: MORVEX_PROGRAM_DIR points at it while
// the object lives, and the previous value comes back afterwards.
class TempProgramDir {
public:
    TempProgramDir();
    ~TempProgramDir();

    Q_DISABLE_COPY(TempProgramDir)

    QString Path() const { return _dir.path(); }
    // Path() + "/" + name.
    QString File(const QString& name) const;
    // Writes `contents` to File(name) as bytes.
    void Write(const QString& name, const QByteArray& contents) const;
    QByteArray Read(const QString& name) const;

private:
    QTemporaryDir _dir;
    QByteArray _previous;
    bool _hadPrevious;
};
