#pragma once

#include <QtGlobal>
#include <initializer_list>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "Sleep.h"

// Replaces the device pause while it lives: every pause is recorded and none
// waits. With a WireTap device the writes are recorded in the same list, so
// a command sequence reads as
//   {"Write(@)", "Sleep(20)", "Write(o)", "Sleep(20)", "Write(#)", "Sleep(20)", "Sleep(200)"}.
class SleepRecorder {
public:
    SleepRecorder();
    ~SleepRecorder();

    Q_DISABLE_COPY(SleepRecorder)

    std::vector<unsigned> Pauses() const;
    // Pauses and tapped writes in call order.
    std::vector<std::string> Transcript() const;
    void Clear();

    void NoteWrite(const char* data, qint64 length);

private:
    void NotePause(unsigned milliseconds);

    mutable std::mutex _mutex;
    std::vector<unsigned> _pauses;
    std::vector<std::string> _transcript;
    platform::SleepFunction _previous;
};

// The transcript of a command list: each command is followed by the 20-ms
// pause of Send; a step that starts with a digit stands for an extra pause.
std::vector<std::string> Wire(std::initializer_list<std::string> steps);
// The bytes written in a transcript, in order.
std::string Concatenated(const std::vector<std::string>& transcript);

// A device whose every write also goes to a recorder's transcript. The
// bytes still reach the port.
template <typename DeviceT>
class WireTap : public DeviceT {
public:
    template <typename... Args>
    explicit WireTap(SleepRecorder& recorder, Args&&... args)
        : DeviceT(std::forward<Args>(args)...), _recorder(recorder) {}

protected:
    qint64 writeData(const char* data, qint64 length) override {
        _recorder.NoteWrite(data, length);
        return DeviceT::writeData(data, length);
    }

private:
    SleepRecorder& _recorder;
};
