#pragma once

#include <QElapsedTimer>
#include <QGraphicsItem>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <boost/shared_ptr.hpp>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DisplayView.h"
#include "Scene.h"
#include "WindowImp.h"

class QDateTime;
class QGraphicsScene;
class QListWidgetItem;
class QTableWidget;
class QTextDocument;
class QTextEdit;

namespace morvex_gui_qtlib {

class WidgetHolder;

// The Qt side of the GUI interface: each call of a device or state becomes a
// widget write through the holder, a new scene in the display view, or a signal
// the main window has connected. Widgets the holder leaves unset are skipped.
class QtWindowImp : public QObject, public morvex_gui::WindowImp {
    Q_OBJECT
public:
    explicit QtWindowImp(WidgetHolder* widgets);
    ~QtWindowImp() override;

    void SetExtraDisplay(bool show) override;
    void ClearAll() override;
    void Clear() override;
    void ClearLog() override;
    void ClearScene() override;
    void Log(const std::string& data) override;
    void LogAppend(const std::string& data) override;
    void UpdateScene() override;
    void SetResult(std::string key, std::string value) override;
    void StartCommon() override;
    void StartNormal(morvex_gui::Normal* state) override;
    void StartNormalFlag(morvex_gui::CoreNormalFlag* state) override;
    void StartNormalBorder(morvex_gui::CoreBorder* state) override;
    void StartNormalLinearity(morvex_gui::CoreLinearity* state) override;
    void StartButtonNormal(morvex_gui::ButtonState* state) override;
    void StartNormalPrecise(morvex_gui::CorePrecise* state) override;
    void StartReferenceData(morvex_gui::SingleRawData* state) override;
    void StartButtonReferenceData(morvex_gui::SingleRawData* state) override;
    void FlushButtonStatus() override;
    void StartTimer(int num) override;
    void StartDebug(morvex_gui::RawData* state) override;
    void StartRasterX(morvex_gui::RawData* state) override;
    void StartRasterY(morvex_gui::RawData* state) override;
    void StartBendingDebug(morvex_gui::BendingRawData* state) override;
    void StartPicture(morvex_gui::PictureView* state) override;
    void StartRaster(morvex_gui::CoreRaster* state) override;
    void StartSingleDebug(morvex_gui::SingleRawData* state) override;
    void StartSingleDebugThreshold(morvex_gui::SingleRawData* state) override;
    void StartSingleDebugZero(morvex_gui::SingleRawData* state) override;
    void StartMultiFingerLift(morvex_gui::TuneMultiFingerLift* state) override;
    void StartMultiFingerLiftRX(morvex_gui::TuneMultiFingerLift* state) override;
    void StartMultiFingerLiftRY(morvex_gui::TuneMultiFingerLift* state) override;
    void StartMultiFingerLiftActive(morvex_gui::TuneMultiFingerLift* state, int mode) override;
    void StartMultiFinger(morvex_gui::TuneMultiFinger* state) override;
    void StartQualification(morvex_gui::TuneQualification* state) override;
    void StopRecord() override;
    void RequestMasterDownload() override;
    void ShowMasterVersion(const std::string& version) override;
    void ScanParameters(int value) override;
    void ParameterValue(int value) override;
    void SetXCross(int value) override;
    void SetYCross(int value) override;
    void ReadMasterVersion(const char* version) override;
    void DisplayMasterVersion(const char* version) override;
    void DisplaySlaveVersion(const char* version) override;
    void DisplaySlaveCrc(const char* crc) override;
    void DisplayElectrodesX(const char* value) override;
    void DisplayElectrodesY(const char* value) override;
    void DisplayEepromStructVersion(std::string version, bool match) override;
    void CheckInformationTimeOut() override;
    void ResetParameter(int value) override;
    void StartOpenShort(morvex_gui::OpenShortState* state) override;
    void ShowOpenShortData(std::vector<std::vector<int> >& open,
                           std::vector<std::vector<int> >& shorts) override;
    void DeviceOff() override;
    void sendTestResult(bool pass) override;
    void SetMode(int mode) override;
    void SetOption(int option) override;
    void RecordSegment(const std::string& segment) override;

    virtual void StartRasterRX(morvex_gui::CoreRaster* state);
    virtual void StartRasterRY(morvex_gui::CoreRaster* state);

    // Log shows one reply line after another, often hundreds a second, and the
    // log box takes the latest at most once a refresh interval. A line that
    // waits is written when the interval is over, or at once by FlushLog and
    // before LogAppend; ClearLog drops it. What the window itself writes to the
    // box meanwhile comes after the line, as it would have.
    void FlushLog();

    // A file the operator relies on could not be written: the message goes in
    // red to the log box and to the operation log.
    void ReportFileFailure(const QString& message);

    // Ends a run: its collected records become its result file, under the
    // time stamp of now, and the map starts empty for the next run. Files of
    // earlier runs that could not be written are tried first, oldest first,
    // each under its own stamp. False while any file is still unwritten: the
    // operator is told why and the file is kept, so no run's records ever
    // reach another run's file. Nothing to save counts as success.
    bool SaveResults();
    // A new run begins: the records collected so far belong to no run's file
    // and are dropped. Files held unwritten stay.
    void DiscardResults();
    // The window closes: the unwritten files are tried once more, and each
    // that still cannot be written is named in the operation log as lost.
    void SaveResultsBeforeClose();
    // The result file's name without folder and extension: Qt's pattern
    // "yyyy-MM-dd-hh-mm-ss-ms", whose trailing "ms" is minute and second
    // without leading zeros.
    static QString ResultFileStamp(const QDateTime& time);

    // The common road of every scene operation: without a view nothing happens;
    // otherwise the scene is built on the view's graphics scene with
    // (graphics, state, args...), started, and made the view's current scene.
    template <class SceneT, class StateT, class... Args>
    void StartSceneFor(StateT* state, Args... args) {
        InstallScene<SceneT>(state, args...);
    }

signals:
    void RecordSegment(const char* segment);
    void ScanParameters();
    void DrawEffect();
    void CheckCrossX();
    void CheckCrossY();
    void SignalRequestMasterDownload();
    void SignalReadMasterVersion(const char* version);
    void SignalMasterVersion(const char* version);
    void SignalSlaveVersion(const char* version);
    void SignalSlaveCrc(const char* crc);
    void SignalElectrodesX(const char* value);
    void SignalElectrodesY(const char* value);
    void SignalEepromStructVersion(std::string version, bool match);
    void SignalResetParameter(int value);
    void SignalStopRecord();
    void SignalCheckInformationTimeOut();
    void SignalStartOpenShort(int x, int y);
    void SignalFlushButtonStatus();
    void SignalStartTimer(int num);
    void SignalDeviceOff();

protected:
    // Builds SceneT with (graphics, args...) and makes it current; see StartSceneFor.
    template <class SceneT, class... Args>
    void InstallScene(Args... args);

    DisplayView* View() const;
    boost::shared_ptr<Scene> CurrentScene() const;

private:
    static constexpr qint64 kTraceFlushIntervalMs = 250;
    // Marks a call into a scene object. A verdict sent from inside it may run
    // the next test item and clear the display; the items cleared meanwhile are
    // kept (detached) until the outermost call has returned, so the running
    // scene never touches freed memory.
    class SceneCall {
    public:
        explicit SceneCall(QtWindowImp& owner);
        ~SceneCall();
        SceneCall(const SceneCall&) = delete;
        SceneCall& operator=(const SceneCall&) = delete;

    private:
        QtWindowImp& _owner;
    };

    void ClearGraphics(QGraphicsScene* graphics);
    QTextEdit* LogBox() const;
    void WriteLog(QTextEdit* log, const QString& text);
    void WatchLog(QTextEdit* log);
    void LogChangedElsewhere(int from, int removed, int added);
    void TraceRedraw(bool withView);
    QListWidgetItem* SelectedParameterRow() const;
    std::string RewriteParameterRow(QListWidgetItem* row, int value) const;
    void StoreParameterSetting(const std::string& rowKey, int value);
    void StoreSetting(const std::string& name, int value);
    static void WriteMatrix(QTableWidget* table, const std::vector<std::vector<int> >& matrix);
    // Writes every unwritten result file it can; each that fails stays and is
    // told through `failed`, with the file's stamp and the reason.
    bool WriteUnsavedResultFiles(
        const std::function<void(const QString& stamp, const QString& error)>& failed);
    static QString SaveNewResultFile(const QString& folder, const QString& stamp,
                                     const QByteArray& text, QString* error);

    // A run's result file not written yet: its records' text and its stamp.
    struct UnsavedResultFile {
        QString stamp;
        QByteArray text;
    };

    WidgetHolder* _widgets;
    std::vector<UnsavedResultFile> _unsavedResultFiles;  // oldest first
    int _sceneCallDepth = 0;
    // Bumped by every ClearAll, so a scene whose Start saw one is not installed.
    unsigned _clearCount = 0;
    std::vector<std::unique_ptr<QGraphicsItem> > _detachedItems;
    std::FILE* _traceFile = nullptr;
    bool _traceOpenTried = false;
    QElapsedTimer _sinceTraceFlush;
    // The line that waits for the log box, and the state of the box it goes to.
    QString _waitingLog;
    bool _logWaiting = false;
    QTimer _logTimer;
    QElapsedTimer _sinceLogWrite;
    QPointer<QTextDocument> _watchedLog;
    bool _writingLog = false;
};

template <class SceneT, class... Args>
void QtWindowImp::InstallScene(Args... args) {
    DisplayView* view = View();
    if (view == nullptr) {
        return;
    }
    const unsigned clearsBefore = _clearCount;
    boost::shared_ptr<SceneT> scene(new SceneT(view->scene(), args...));
    {
        SceneCall call(*this);
        scene->Start();
    }
    if (_clearCount != clearsBefore) {
        // The display was cleared while the scene started: its items are gone
        // and the empty scene already stands in its place.
        return;
    }
    view->SetScene(scene);
}

}  // namespace morvex_gui_qtlib
