#pragma once

#include <log4cplus/appender.h>
#include <log4cplus/logger.h>
#include <log4cplus/spi/loggingevent.h>
#include <string>
#include <vector>

#include "BendingDebugScene.h"
#include "ButtonReferenceDataScene.h"
#include "DebugScene.h"
#include "OpenShortScene.h"
#include "OperationLog.h"
#include "RasterXScene.h"
#include "RasterYScene.h"
#include "RecordingWindowImp.h"
#include "ReferenceDataScene.h"
#include "SingleDebugThresholdScene.h"
#include "SingleDebugZeroScene.h"
#include "ViewFixture.h"

// A recording GUI interface that also does what the Qt one does for the
// raw-data modes: each scene operation builds the mode's scene on the
// fixture's view, and a redraw reaches the current scene. So tests can feed
// reply lines through a state and watch the verdicts and records.
class SceneWindowImp : public RecordingWindowImp {
public:
    explicit SceneWindowImp(ViewFixture& fixture) : _fixture(fixture) {}

    void StartDebug(morvex_gui::RawData* state) override {
        RecordingWindowImp::StartDebug(state);
        _fixture.Show<morvex_gui_qtlib::DebugScene>(state);
    }
    void StartRasterX(morvex_gui::RawData* state) override {
        RecordingWindowImp::StartRasterX(state);
        _fixture.Show<morvex_gui_qtlib::RasterXScene>(state);
    }
    void StartRasterY(morvex_gui::RawData* state) override {
        RecordingWindowImp::StartRasterY(state);
        _fixture.Show<morvex_gui_qtlib::RasterYScene>(state);
    }
    void StartBendingDebug(morvex_gui::BendingRawData* state) override {
        RecordingWindowImp::StartBendingDebug(state);
        _fixture.Show<morvex_gui_qtlib::BendingDebugScene>(state);
    }
    void StartOpenShort(morvex_gui::OpenShortState* state) override {
        RecordingWindowImp::StartOpenShort(state);
        _fixture.Show<morvex_gui_qtlib::OpenShortScene>(state);
    }
    void StartReferenceData(morvex_gui::SingleRawData* state) override {
        RecordingWindowImp::StartReferenceData(state);
        _fixture.Show<morvex_gui_qtlib::ReferenceDataScene>(state);
    }
    void StartButtonReferenceData(morvex_gui::SingleRawData* state) override {
        RecordingWindowImp::StartButtonReferenceData(state);
        _fixture.Show<morvex_gui_qtlib::ButtonReferenceDataScene>(state);
    }
    void StartSingleDebug(morvex_gui::SingleRawData* state) override {
        RecordingWindowImp::StartSingleDebug(state);
        _fixture.Show<morvex_gui_qtlib::SingleDebugScene>(state);
    }
    void StartSingleDebugThreshold(morvex_gui::SingleRawData* state) override {
        RecordingWindowImp::StartSingleDebugThreshold(state);
        _fixture.Show<morvex_gui_qtlib::SingleDebugThresholdScene>(state);
    }
    void StartSingleDebugZero(morvex_gui::SingleRawData* state) override {
        RecordingWindowImp::StartSingleDebugZero(state);
        _fixture.Show<morvex_gui_qtlib::SingleDebugZeroScene>(state);
    }
    void UpdateScene() override {
        RecordingWindowImp::UpdateScene();
        if (auto scene = _fixture.View().GetScene()) {
            scene->Update();
        }
    }
    void SetExtraDisplay(bool show) override {
        RecordingWindowImp::SetExtraDisplay(show);
        if (auto scene = _fixture.View().GetScene()) {
            scene->SetExtraDisplay(show);
        }
    }

    // The current scene as the given class (null if it is another).
    template <typename SceneT>
    SceneT* Current() const {
        return dynamic_cast<SceneT*>(_fixture.View().GetScene().get());
    }

private:
    ViewFixture& _fixture;
};

// Collects the operation log's messages while it lives.
class LogCapture {
public:
    LogCapture() : _appender(new Collector(_messages)) { OperationLogger().addAppender(_appender); }
    ~LogCapture() { OperationLogger().removeAppender(_appender); }

    bool Contains(const std::string& text) const {
        for (const auto& message : _messages) {
            if (message.find(text) != std::string::npos) {
                return true;
            }
        }
        return false;
    }
    size_t Size() const { return _messages.size(); }

private:
    class Collector : public log4cplus::Appender {
    public:
        explicit Collector(std::vector<std::string>& out) : _out(out) {}
        ~Collector() override { destructorImpl(); }
        void close() override {}

    protected:
        void append(const log4cplus::spi::InternalLoggingEvent& event) override {
            _out.push_back(event.getMessage());
        }

    private:
        std::vector<std::string>& _out;
    };

    std::vector<std::string> _messages;
    log4cplus::SharedAppenderPtr _appender;
};
