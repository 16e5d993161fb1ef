#include "QtWindowImp.h"

#include <QDateTime>
#include <QDir>
#include <QGraphicsScene>
#include <QLCDNumber>
#include <QLabel>
#include <QListWidget>
#include <QTableWidget>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <algorithm>
#include <cstring>
#include <utility>

#include "OperationLog.h"
#include "ProgramPaths.h"
#include "WholeFileWriter.h"
#include "WidgetHolder.h"

namespace morvex_gui_qtlib {

namespace {

// A parameter row and the text is as wide as this, unless the number is longer.
constexpr int kParameterRowWidth = 30;

// Parameter rows whose values the settings keep, and the settings key of each.
struct ParameterSetting {
    const char* rowKey;
    const char* settingsKey;
};
constexpr ParameterSetting kParameterSettings[] = {
    {"fingX", "fingX_value"},
    {"fingY", "fingY_value"},
    {"noiseX", "noiseX_value"},
    {"noiseY", "noiseY_value"},
    {"SPI_SPEED_ME0_X", "SPI_SPEED_ME0_X"},
    {"SPI_SPEED_ME0_Y", "SPI_SPEED_ME0_Y"},
    {"SPI_SPEED_ME1_LX", "SPI_SPEED_ME1_LX"},
    {"SPI_SPEED_ME1_LY", "SPI_SPEED_ME1_LY"},
};

QString FromAscii(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QtWindowImp::SceneCall::SceneCall(QtWindowImp& owner) : _owner(owner) {
    ++_owner._sceneCallDepth;
}

QtWindowImp::SceneCall::~SceneCall() {
    if (--_owner._sceneCallDepth == 0) {
        _owner._detachedItems.clear();
    }
}

QtWindowImp::QtWindowImp(WidgetHolder* widgets) : QObject(nullptr), _widgets(widgets) {
    _logTimer.setSingleShot(true);
    connect(&_logTimer, &QTimer::timeout, this, &QtWindowImp::FlushLog);
}

QtWindowImp::~QtWindowImp() {
    if (_traceFile != nullptr) {
        std::fclose(_traceFile);
    }
}

DisplayView* QtWindowImp::View() const {
    return _widgets != nullptr ? _widgets->_view : nullptr;
}

boost::shared_ptr<Scene> QtWindowImp::CurrentScene() const {
    DisplayView* view = View();
    return view != nullptr ? view->GetScene() : boost::shared_ptr<Scene>();
}

void QtWindowImp::SetExtraDisplay(bool show) {
    if (const boost::shared_ptr<Scene> scene = CurrentScene()) {
        scene->SetExtraDisplay(show);
    }
}

void QtWindowImp::ClearAll() {
    ClearLog();
    DisplayView* view = View();
    if (view == nullptr) {
        return;
    }
    // The empty scene goes in first, so the scene being replaced can never
    // reach the items freed below (on a resize, a redraw or a show-values switch).
    InstallScene<Scene>();
    ClearGraphics(view->scene());
    view->AddTextItem();
    ++_clearCount;
}

void QtWindowImp::ClearGraphics(QGraphicsScene* graphics) {
    if (_sceneCallDepth == 0) {
        graphics->clear();
        return;
    }
    const QList<QGraphicsItem*> items = graphics->items();
    for (QGraphicsItem* item : items) {
        if (item->parentItem() == nullptr) {
            graphics->removeItem(item);
            _detachedItems.emplace_back(item);
        }
    }
}

void QtWindowImp::Clear() {
    ClearLog();
    ClearScene();
}

void QtWindowImp::ClearLog() {
    _logTimer.stop();
    _logWaiting = false;
    _waitingLog.clear();
    if (QTextEdit* log = LogBox()) {
        log->clear();
    }
}

void QtWindowImp::ClearScene() {
    if (const boost::shared_ptr<Scene> scene = CurrentScene()) {
        SceneCall call(*this);
        scene->Clear();
    }
}

QTextEdit* QtWindowImp::LogBox() const {
    return _widgets != nullptr ? _widgets->_log : nullptr;
}

void QtWindowImp::Log(const std::string& data) {
    QTextEdit* log = LogBox();
    if (log == nullptr) {
        return;
    }
    // Each write parses the line's markup and lays the box out again: a line
    // that comes within a refresh interval of the last write waits, and a
    // later one takes its place.
    const int interval = DisplayView::kRefreshIntervalMs;
    const qint64 since = _sinceLogWrite.isValid() ? _sinceLogWrite.elapsed() : interval;
    if (!_logWaiting && since >= interval) {
        WriteLog(log, FromAscii(data));
        return;
    }
    _waitingLog = FromAscii(data);
    _logWaiting = true;
    WatchLog(log);
    if (!_logTimer.isActive()) {
        _logTimer.start(static_cast<int>(std::max<qint64>(interval - since, 0)));
    }
}

void QtWindowImp::FlushLog() {
    _logTimer.stop();
    if (!_logWaiting) {
        return;
    }
    _logWaiting = false;
    if (QTextEdit* log = LogBox()) {
        WriteLog(log, _waitingLog);
    }
    _waitingLog.clear();
}

void QtWindowImp::WriteLog(QTextEdit* log, const QString& text) {
    _writingLog = true;
    log->setText(text);
    _writingLog = false;
    _sinceLogWrite.start();
}

void QtWindowImp::WatchLog(QTextEdit* log) {
    QTextDocument* document = log->document();
    if (document == _watchedLog) {
        return;
    }
    if (_watchedLog != nullptr) {
        disconnect(_watchedLog, nullptr, this, nullptr);
    }
    _watchedLog = document;
    connect(document, &QTextDocument::contentsChange, this, &QtWindowImp::LogChangedElsewhere);
}

void QtWindowImp::LogChangedElsewhere(int from, int removed, int added) {
    if (!_logWaiting || _writingLog) {
        return;
    }
    // The window wrote to the box after the waiting line came. Had the line
    // been written first, a text the window set would have replaced it, and
    // one it added at the end would follow it: keep the window's text, with
    // the line before what was added.
    _logTimer.stop();
    _logWaiting = false;
    const QString line = std::move(_waitingLog);
    _waitingLog.clear();
    QTextEdit* log = LogBox();
    if (log == nullptr || log->document() != _watchedLog) {
        return;
    }
    const bool addedAtEnd = removed == 0 && from + added == _watchedLog->characterCount() - 1;
    if (!addedAtEnd) {
        return;
    }
    QTextCursor before(_watchedLog);
    before.setPosition(from, QTextCursor::KeepAnchor);
    _writingLog = true;
    if (Qt::mightBeRichText(line)) {
        before.insertHtml(line);
    } else {
        before.insertText(line);
    }
    if (from == 0) {
        // The box was empty: what was added becomes the line's next paragraph.
        before.insertBlock();
    }
    _writingLog = false;
    _sinceLogWrite.start();
}

void QtWindowImp::LogAppend(const std::string& data) {
    FlushLog();
    if (QTextEdit* log = LogBox()) {
        log->append(FromAscii(data));
    }
}

void QtWindowImp::UpdateScene() {
    DisplayView* view = View();
    TraceRedraw(view != nullptr);
    if (view == nullptr) {
        return;
    }
    // The local reference keeps the scene alive even if its own verdict leads
    // to the next scene being installed while it is still running.
    if (const boost::shared_ptr<Scene> scene = view->GetScene()) {
        SceneCall call(*this);
        scene->Update();
    }
}

void QtWindowImp::TraceRedraw(bool withView) {
    // Every redraw leaves its trace lines in test.txt of the working folder.
    // The file is opened once and kept; a folder that refuses it costs one try.
    if (!_traceOpenTried) {
        _traceOpenTried = true;
        _traceFile = std::fopen("test.txt", "a+");
    }
    if (_traceFile == nullptr) {
        return;
    }
    std::fputs(withView ? "Step1\nStep2\n" : "Step1\n", _traceFile);
    // A redraw follows every reply line: writing the file out a few times a
    // second instead of each time spares the GUI thread a system call per line.
    if (!_sinceTraceFlush.isValid() || _sinceTraceFlush.elapsed() >= kTraceFlushIntervalMs) {
        std::fflush(_traceFile);
        _sinceTraceFlush.start();
    }
}

void QtWindowImp::SetResult(std::string key, std::string value) {
    _results[std::move(key)] = std::move(value);
}

void QtWindowImp::StartCommon() {
    InstallScene<Scene>();
}

void QtWindowImp::FlushButtonStatus() {
    emit SignalFlushButtonStatus();
}
void QtWindowImp::StartTimer(int num) {
    emit SignalStartTimer(num);
}
void QtWindowImp::StopRecord() {
    emit SignalStopRecord();
}
void QtWindowImp::RequestMasterDownload() {
    emit SignalRequestMasterDownload();
}
void QtWindowImp::ReadMasterVersion(const char* version) {
    emit SignalReadMasterVersion(version);
}
void QtWindowImp::DisplayMasterVersion(const char* version) {
    emit SignalMasterVersion(version);
}
void QtWindowImp::DisplaySlaveVersion(const char* version) {
    emit SignalSlaveVersion(version);
}
void QtWindowImp::DisplaySlaveCrc(const char* crc) {
    emit SignalSlaveCrc(crc);
}
void QtWindowImp::DisplayElectrodesX(const char* value) {
    emit SignalElectrodesX(value);
}
void QtWindowImp::DisplayElectrodesY(const char* value) {
    emit SignalElectrodesY(value);
}
void QtWindowImp::CheckInformationTimeOut() {
    emit SignalCheckInformationTimeOut();
}
void QtWindowImp::ResetParameter(int value) {
    emit SignalResetParameter(value);
}
void QtWindowImp::DeviceOff() {
    emit SignalDeviceOff();
}
void QtWindowImp::RecordSegment(const std::string& segment) {
    emit RecordSegment(segment.c_str());
}

void QtWindowImp::DisplayEepromStructVersion(std::string version, bool match) {
    emit SignalEepromStructVersion(std::move(version), match);
}

void QtWindowImp::ShowMasterVersion(const std::string& version) {
    if (_widgets == nullptr) {
        return;
    }
    if (_widgets->_versionCaption != nullptr) {
        _widgets->_versionCaption->setText(QStringLiteral("Master Version:"));
    }
    if (_widgets->_versionLabel != nullptr) {
        _widgets->_versionLabel->setText(FromAscii(version));
    }
}

void QtWindowImp::ScanParameters(int value) {
    QListWidgetItem* row = SelectedParameterRow();
    if (row == nullptr) {
        return;
    }
    StoreParameterSetting(RewriteParameterRow(row, value), value);
    ++*_widgets->_parameterRow;
    emit ScanParameters();
}

void QtWindowImp::ParameterValue(int value) {
    if (_widgets != nullptr && _widgets->_parameterLcd != nullptr) {
        _widgets->_parameterLcd->display(value);
    }
    QListWidgetItem* row = SelectedParameterRow();
    std::string rowKey;
    if (row != nullptr) {
        rowKey = RewriteParameterRow(row, value);
    }
    StoreSetting("parameter_value", value);
    if (row != nullptr) {
        StoreParameterSetting(rowKey, value);
    }
    emit DrawEffect();
}

QListWidgetItem* QtWindowImp::SelectedParameterRow() const {
    if (_widgets == nullptr || _widgets->_parameterList == nullptr ||
        _widgets->_parameterRow == nullptr) {
        return nullptr;
    }
    // item() gives null for a row outside the list.
    return _widgets->_parameterList->item(*_widgets->_parameterRow);
}

std::string QtWindowImp::RewriteParameterRow(QListWidgetItem* row, int value) const {
    const QString key = row->text().section(QLatin1Char(':'), 0, 0);
    const int width = kParameterRowWidth - static_cast<int>(key.size() + 1);
    const QString number = QString::number(value).rightJustified(width, QLatin1Char(' '));
    row->setText(key + QLatin1Char(':') + number);
    return key.toStdString();
}

void QtWindowImp::StoreParameterSetting(const std::string& rowKey, int value) {
    for (const ParameterSetting& entry : kParameterSettings) {
        if (rowKey == entry.rowKey) {
            StoreSetting(entry.settingsKey, value);
            return;
        }
    }
}

void QtWindowImp::StoreSetting(const std::string& name, int value) {
    std::string text = std::to_string(value);
    if (!_settings.SetValue(name, text)) {
        _settings.SetParameter(ConfigParameter(name, std::move(text)));
    }
}

void QtWindowImp::SetXCross(int value) {
    StoreSetting("x_cross", value);
    emit CheckCrossY();
}

void QtWindowImp::SetYCross(int value) {
    StoreSetting("y_cross", value);
    emit DrawEffect();
}

void QtWindowImp::ShowOpenShortData(std::vector<std::vector<int> >& open,
                                    std::vector<std::vector<int> >& shorts) {
    if (_widgets == nullptr) {
        return;
    }
    WriteMatrix(_widgets->_openTable, open);
    WriteMatrix(_widgets->_shortTable, shorts);
}

void QtWindowImp::WriteMatrix(QTableWidget* table, const std::vector<std::vector<int> >& matrix) {
    if (table == nullptr) {
        return;
    }
    // matrix[c][r] goes to row r, column c; cells the matrix does not reach keep
    // their text, and a cell without an item gets one.
    const int columns = std::min<int>(table->columnCount(), static_cast<int>(matrix.size()));
    for (int c = 0; c < columns; ++c) {
        const std::vector<int>& column = matrix[c];
        const int rows = std::min<int>(table->rowCount(), static_cast<int>(column.size()));
        for (int r = 0; r < rows; ++r) {
            const QString text = QString::number(column[r]);
            if (QTableWidgetItem* cell = table->item(r, c)) {
                cell->setText(text);
            } else {
                table->setItem(r, c, new QTableWidgetItem(text));
            }
        }
    }
}

void QtWindowImp::sendTestResult(bool pass) {
    if (DisplayView* view = View()) {
        view->sendTestResult(pass);
    }
}

void QtWindowImp::SetMode(int) {}
void QtWindowImp::SetOption(int) {}

bool QtWindowImp::SaveResults() {
    if (!_results.empty()) {
        QByteArray text;
        for (const auto& record : _results) {
            text += QByteArray::fromStdString(record.second);
        }
        _unsavedResultFiles.push_back(
            {ResultFileStamp(QDateTime::currentDateTime()), std::move(text)});
        _results.clear();
    }
    return WriteUnsavedResultFiles([this](const QString&, const QString& error) {
        ReportFileFailure(QStringLiteral("Result file not saved, results kept: ") + error);
    });
}

void QtWindowImp::DiscardResults() {
    _results.clear();
}

void QtWindowImp::SaveResultsBeforeClose() {
    WriteUnsavedResultFiles([](const QString& stamp, const QString& error) {
        LOG4CPLUS_ERROR(OperationLogger(), "Result file not saved, results of the run of "
                                               << stamp.toStdString()
                                               << " lost: " << error.toLocal8Bit().constData());
    });
}

bool QtWindowImp::WriteUnsavedResultFiles(
    const std::function<void(const QString& stamp, const QString& error)>& failed) {
    if (_unsavedResultFiles.empty()) {
        return true;
    }
    const QString folder = platform::ProgramFilePath(QStringLiteral("Results"));
    QDir().mkpath(folder);
    std::vector<UnsavedResultFile> stillUnsaved;
    for (UnsavedResultFile& file : _unsavedResultFiles) {
        QString error;
        if (SaveNewResultFile(folder, file.stamp, file.text, &error).isEmpty()) {
            failed(file.stamp, error);
            stillUnsaved.push_back(std::move(file));
        }
    }
    _unsavedResultFiles = std::move(stillUnsaved);
    return _unsavedResultFiles.empty();
}

QString QtWindowImp::ResultFileStamp(const QDateTime& time) {
    return time.toString(QStringLiteral("yyyy-MM-dd-hh-mm-ss-ms"));
}

QString QtWindowImp::SaveNewResultFile(const QString& folder, const QString& stamp,
                                       const QByteArray& text, QString* error) {
    // Two runs in the same second share a stamp; the later one gets a suffix
    // instead of overwriting the earlier file.
    constexpr int kMaxSuffix = 999;
    for (int suffix = 0; suffix <= kMaxSuffix; ++suffix) {
        const QString tail = suffix == 0 ? QString() : QStringLiteral("_%1").arg(suffix);
        const QString name = folder + QLatin1Char('/') + stamp + tail + QStringLiteral(".csv");
        platform::WholeFileWriter file(name);
        if (file.Open() && file.Write(text) &&
            file.Commit(platform::WholeFileWriter::Placement::KeepExisting)) {
            return name;
        }
        *error = file.Error();
        if (!file.TargetTaken()) {
            break;
        }
    }
    return QString();
}

void QtWindowImp::ReportFileFailure(const QString& message) {
    FlushLog();
    if (_widgets != nullptr && _widgets->_log != nullptr) {
        _widgets->_log->append(QStringLiteral("<FONT COLOR=red>") + message.toHtmlEscaped() +
                               QStringLiteral("</FONT>"));
    }
    LOG4CPLUS_ERROR(OperationLogger(), message.toLocal8Bit().constData());
}

}  // namespace morvex_gui_qtlib
