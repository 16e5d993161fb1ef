#include <QDir>
#include <QFileDialog>
#include <boost/regex.hpp>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <limits>

#include "Drovanel.h"
#include "QtWindowImp.h"
#include "Settings.h"
#include "WholeFileWriter.h"

namespace {

const char* const kFileFilter = "Pattern files(*.txt);;All files(*.*)";

const boost::regex& XOffsetPattern() {
    static const boost::regex pattern("X(-?\\d+,?)+", boost::regex::perl);
    return pattern;
}

const boost::regex& YOffsetPattern() {
    static const boost::regex pattern("Y(-?\\d+,?)+", boost::regex::perl);
    return pattern;
}

const boost::regex& NumberPattern() {
    static const boost::regex pattern("(-?\\d+)", boost::regex::perl);
    return pattern;
}

// Every number of the matched run, in order; false when one does not fit
// an int (the file is then as unusable as one without the run).
bool CollectNumbers(const boost::smatch& run, std::vector<int>* numbers) {
    const std::string text = run.str(0);
    for (boost::sregex_iterator it(text.begin(), text.end(), NumberPattern()), end; it != end;
         ++it) {
        const std::string digits = it->str(1);
        errno = 0;
        const long long value = std::strtoll(digits.c_str(), nullptr, 10);
        if (errno == ERANGE || value < std::numeric_limits<int>::min() ||
            value > std::numeric_limits<int>::max()) {
            return false;
        }
        numbers->push_back(static_cast<int>(value));
    }
    return true;
}

}  // namespace

// The three actions stay hidden; bound all the same, so that showing them
// is all it takes to use them.
void Drovanel::ConnectOffsets() {
    connect(ui.actionSave_Offset, &QAction::toggled, this, &Drovanel::SaveOffset);
    connect(ui.actionRead_Offset, &QAction::toggled, this, &Drovanel::LoadOffset);
    connect(ui.actionRecord_Segment, &QAction::toggled, this, &Drovanel::StartRecordSegment);
    connect(_imp, qOverload<const char*>(&morvex_gui_qtlib::QtWindowImp::RecordSegment), this,
            &Drovanel::RecordSegment);
}

QString Drovanel::AskOffsetFile(const char* caption, bool save, const char* startKey) {
    QString start = QDir::currentPath();
    ConfigParameter stored;
    if (startKey != nullptr && _settings->GetParameter(startKey, stored)) {
        start = QString::fromLocal8Bit(stored.GetValue().c_str());
    }
    const QString filter = QString::fromLatin1(kFileFilter);
    return save ? QFileDialog::getSaveFileName(this, tr(caption), start, filter)
                : QFileDialog::getOpenFileName(this, tr(caption), start, filter);
}

void Drovanel::SaveOffset(bool checked) {
    if (checked) {
        ArmSegmentFile(ui.actionSave_Offset, "Select offset File...", nullptr, "offset_file",
                       &_offsetPending);
    }
}

void Drovanel::StartRecordSegment(bool checked) {
    if (checked) {
        ArmSegmentFile(ui.actionRecord_Segment, "Select record File...", "segment_file",
                       "segment_file", &_segmentPending);
    }
}

// The next segment goes to the file the operator picks now (kept under
// `fileKey`); without a file the action is unchecked again.
void Drovanel::ArmSegmentFile(QAction* action, const char* caption, const char* startKey,
                              const char* fileKey, bool* pending) {
    const QString file = AskOffsetFile(caption, true, startKey);
    if (file.isEmpty()) {
        action->setChecked(false);
        return;
    }
    _settings->SetParameter(ConfigParameter(fileKey, file.toLocal8Bit().toStdString()));
    *pending = true;
    action->setChecked(true);
}

// One segment completes a pending offset save first, then a pending segment
// record; with nothing pending it is dropped.
void Drovanel::RecordSegment(const char* segment) {
    if (_offsetPending) {
        WritePendingSegment("offset_file", segment);
        _offsetPending = false;
        ui.actionSave_Offset->setChecked(false);
    }
    if (_segmentPending) {
        WritePendingSegment("segment_file", segment);
        _segmentPending = false;
        ui.actionRecord_Segment->setChecked(false);
    }
}

// The file is replaced whole; one that cannot be written keeps what it held,
// and the engineer is told, as for a record.
void Drovanel::WritePendingSegment(const char* fileKey, const char* segment) {
    ConfigParameter file;
    if (!_settings->GetParameter(fileKey, file)) {
        return;
    }
    QString error;
    if (!platform::WholeFileWriter::Save(QString::fromLocal8Bit(file.GetValue().c_str()),
                                         QByteArray(segment != nullptr ? segment : ""), &error)) {
        WarnFileFailureLater(tr("Save Error"), QStringLiteral("Segment not saved: ") + error);
    }
}

void Drovanel::LoadOffset(bool checked) {
    if (!checked) {
        _imp->_xOffsets.clear();
        _imp->_yOffsets.clear();
        return;
    }
    const QString file = AskOffsetFile("Select offset File...", false, "offset_file");
    if (file.isEmpty()) {
        _imp->_xOffsets.clear();
        _imp->_yOffsets.clear();
        ui.actionRead_Offset->setChecked(false);
        return;
    }
    if (!ReadOffsetFile(file)) {
        return;
    }
    ui.actionRead_Offset->setChecked(true);
}

// Line 1 must carry the X run and line 2 the Y run. Loaded numbers are
// appended to what an earlier load left; unchecking the action clears them.
bool Drovanel::ReadOffsetFile(const QString& path) {
    std::ifstream in(path.toLocal8Bit().constData());
    if (!in.is_open()) {
        return false;
    }
    std::string xLine;
    std::string yLine;
    std::getline(in, xLine);
    std::getline(in, yLine);
    boost::smatch xRun;
    boost::smatch yRun;
    std::vector<int> xs;
    std::vector<int> ys;
    if (!boost::regex_search(xLine, xRun, XOffsetPattern()) ||
        !boost::regex_search(yLine, yRun, YOffsetPattern()) || !CollectNumbers(xRun, &xs) ||
        !CollectNumbers(yRun, &ys)) {
        _imp->_xOffsets.clear();
        _imp->_yOffsets.clear();
        ui.actionRead_Offset->setChecked(false);
        return false;
    }
    _settings->SetParameter(ConfigParameter("offset_file", path.toLocal8Bit().toStdString()));
    _imp->_xOffsets.insert(_imp->_xOffsets.end(), xs.begin(), xs.end());
    _imp->_yOffsets.insert(_imp->_yOffsets.end(), ys.begin(), ys.end());
    return true;
}
