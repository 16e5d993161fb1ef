#include "SleepRecorder.h"

#include <numeric>

SleepRecorder::SleepRecorder() {
    _previous = platform::SetSleepFunction([this](unsigned ms) { NotePause(ms); });
}

SleepRecorder::~SleepRecorder() {
    platform::SetSleepFunction(std::move(_previous));
}

std::vector<unsigned> SleepRecorder::Pauses() const {
    std::lock_guard<std::mutex> lock(_mutex);
    return _pauses;
}

unsigned SleepRecorder::TotalMs() const {
    std::lock_guard<std::mutex> lock(_mutex);
    return std::accumulate(_pauses.begin(), _pauses.end(), 0u);
}

std::vector<std::string> SleepRecorder::Transcript() const {
    std::lock_guard<std::mutex> lock(_mutex);
    return _transcript;
}

void SleepRecorder::Clear() {
    std::lock_guard<std::mutex> lock(_mutex);
    _pauses.clear();
    _transcript.clear();
}

void SleepRecorder::NoteWrite(const char* data, qint64 length) {
    std::lock_guard<std::mutex> lock(_mutex);
    _transcript.push_back("Write(" + std::string(data, static_cast<size_t>(length)) + ")");
}

void SleepRecorder::NotePause(unsigned milliseconds) {
    std::lock_guard<std::mutex> lock(_mutex);
    _pauses.push_back(milliseconds);
    _transcript.push_back("Sleep(" + std::to_string(milliseconds) + ")");
}
