#include <QDir>
#include <QMessageBox>
#include <cerrno>
#include <cstring>

#include "Drovanel.h"
#include "OperationLog.h"
#include "QtWindowImp.h"
#include "RecordSetFileName.h"
#include "RecordView.h"

void Drovanel::ConnectRecording() {
    connect(ui.action_Record, &QAction::toggled, this, &Drovanel::DataRecord);
    connect(ui.actionRecord_View, &QAction::triggered, this, &Drovanel::DataRecordView);
}

void Drovanel::DataRecord(bool checked) {
    if (checked) {
        StartRecord();
        return;
    }
    SetRecordActionText(QStringLiteral("Record"));
    if (_recordFile.is_open()) {
        _recordFile.close();
        LOG4CPLUS_INFO(OperationLogger(), "Record stop");
    }
}

void Drovanel::StartRecord() {
    auto* dialog = new RecordSetFileName(nullptr);
    const bool accepted = dialog->exec() == QDialog::Accepted;
    const QString name = dialog->FileName() + QStringLiteral(".log");
    delete dialog;
    // A mode change while the name was asked for has ended the record.
    if (!accepted || !ui.action_Record->isChecked()) {
        ui.action_Record->setChecked(false);
        SetRecordActionText(QStringLiteral("Record"));
        return;
    }
    const QString folder = RecordView::Folder() + QLatin1Char('/');
    QDir().mkdir(folder);
    if (_recordFile.is_open()) {
        _recordFile.close();
    }
    _recordPath = folder + name;
    _recordFile.open(_recordPath.toLocal8Bit().constData(), std::ios::out | std::ios::trunc);
    _recordLines = 0;
    if (!_recordFile.good()) {
        _recordFile.close();
        _recordFile.clear();
        ui.action_Record->setChecked(false);
        SetRecordActionText(QStringLiteral("Record"));
        QMessageBox::warning(this, tr("Record Error"),
                             tr("Can't open the record file %1!").arg(_recordPath),
                             QMessageBox::Ok);
        return;
    }
    SetRecordActionText(QStringLiteral("Stop Record"));
    LOG4CPLUS_INFO(OperationLogger(), "Record start");
}

void Drovanel::SetRecordActionText(const QString& text) {
    ui.action_Record->setToolTip(text);
    ui.action_Record->setText(text);
}

// Runs after the line went to the current state: a state that starts its
// mode on this line has already ended the record, so the line is not kept.
// A record takes lines only once its file is open: the lines that arrive
// while its name is asked pass unrecorded.
void Drovanel::RecordReplyLine(const std::string& line) {
    if (!ui.action_Record->isChecked() || !_recordFile.is_open()) {
        return;
    }
    if (_recordLines >= kRecordLineLimit) {
        ui.action_Record->setChecked(false);
        return;
    }
    errno = 0;
    _recordFile << line << '\n';
    _recordFile.flush();
    if (!_recordFile.good()) {
        EndFailedRecord(errno != 0 ? std::strerror(errno) : "write error");
        return;
    }
    ++_recordLines;
}

// A record whose lines no longer reach its file (a full disk, say) ends at
// once. It is not a normal stop: the engineer is told, as for a result file.
void Drovanel::EndFailedRecord(const char* reason) {
    _recordFile.close();
    _recordFile.clear();
    ui.action_Record->setChecked(false);
    WarnFileFailureLater(tr("Record Error"),
                         QStringLiteral("Record ended, its lines cannot be written: %1: %2")
                             .arg(_recordPath, QString::fromLocal8Bit(reason)));
}

// Met while a reply line is dispatched: logged at once, and shown once the
// dispatch has returned, so that the box's event loop never reads the port
// from inside it.
void Drovanel::WarnFileFailureLater(const QString& title, const QString& message) {
    _imp->ReportFileFailure(message);
    QMetaObject::invokeMethod(
        this,
        [this, title, message] { QMessageBox::warning(this, title, message, QMessageBox::Ok); },
        Qt::QueuedConnection);
}

void Drovanel::DataRecordView() {
    LOG4CPLUS_INFO(OperationLogger(), "Record view start");
    auto* viewer = new RecordView(this);
    viewer->exec();
    delete viewer;
    LOG4CPLUS_INFO(OperationLogger(), "Record view exit");
}
