#include "SleepRecorder.h"

#include <cctype>

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

std::vector<std::string> Wire(std::initializer_list<std::string> steps) {
    std::vector<std::string> transcript;
    for (const std::string& step : steps) {
        if (!step.empty() && std::isdigit(static_cast<unsigned char>(step[0]))) {
            transcript.push_back("Sleep(" + step + ")");
        } else {
            transcript.push_back("Write(" + step + ")");
            transcript.push_back("Sleep(20)");
        }
    }
    return transcript;
}

std::string Concatenated(const std::vector<std::string>& transcript) {
    std::string bytes;
    for (const std::string& step : transcript) {
        if (step.rfind("Write(", 0) == 0) {
            bytes += step.substr(6, step.size() - 7);
        }
    }
    return bytes;
}
