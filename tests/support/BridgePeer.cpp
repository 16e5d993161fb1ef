#include "BridgePeer.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "FileRegistry.h"
#include "RegistryView.h"
#include "WakePoll.h"

namespace {

const char* const kRegistryVariable = "MORVEX_REGISTRY_FILE";

std::string ErrorText(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

}  // namespace

BridgePeer::BridgePeer(const QString& portName) : _comName(portName) {
    _registryFile = qEnvironmentVariable(kRegistryVariable);
    if (_registryFile.isEmpty()) {
        _registryDir = std::make_unique<QTemporaryDir>();
        _registryFile = _registryDir->filePath(QStringLiteral("registry.ini"));
        qputenv(kRegistryVariable, _registryFile.toLocal8Bit());
        _ownsRegistryVariable = true;
    }
    platform::FileRegistry registry(_registryFile);
    int index = 0;
    QString ignored;
    while (registry.ReadValue(platform::kSerialCommKey,
                              QStringLiteral("\\Device\\VCP%1").arg(index), &ignored)) {
        ++index;
    }
    _valueName = QStringLiteral("\\Device\\VCP%1").arg(index);
    _deviceName = QStringLiteral("PEER%1").arg(index);

    _wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    OpenPty();
    _listed = true;
    WriteListing();
    StartThread();
}

BridgePeer::~BridgePeer() {
    StopThread();
    ClosePty();
    if (_wakeFd >= 0) {
        ::close(_wakeFd);
    }
    platform::FileRegistry registry(_registryFile);
    registry.RemoveValue(platform::kSerialCommKey, _valueName);
    if (!_comName.isEmpty()) {
        registry.RemoveValue(platform::kPortPathKey, _comName);
    }
    if (_ownsRegistryVariable) {
        qunsetenv(kRegistryVariable);
    }
}

QString BridgePeer::PortName() const {
    return _comName.isEmpty() ? DevicePath() : _comName;
}

QString BridgePeer::DevicePath() const {
    std::lock_guard<std::mutex> lock(_mutex);
    return _devicePath;
}

void BridgePeer::OpenPty() {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        throw std::runtime_error(ErrorText("pseudo-terminal"));
    }
    char name[128] = {};
    ptsname_r(master, name, sizeof(name));
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    // Our own descriptor of the device side keeps the pty up while the
    // device closes and reopens it; nothing is ever read from it.
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave < 0) {
        throw std::runtime_error(ErrorText("pseudo-terminal device side"));
    }
    // A real adapter does not echo; start raw like one.
    termios settings{};
    tcgetattr(slave, &settings);
    cfmakeraw(&settings);
    tcsetattr(slave, TCSANOW, &settings);

    std::lock_guard<std::mutex> lock(_mutex);
    _master = master;
    _slave = slave;
    _devicePath = QString::fromLocal8Bit(name);
}

void BridgePeer::ClosePty() {
    std::lock_guard<std::mutex> lock(_mutex);
    for (int* fd : {&_slave, &_master}) {
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
    }
    _outgoing.clear();
    _unmatched.clear();
    _changed.notify_all();
}

void BridgePeer::StartThread() {
    {
        std::lock_guard<std::mutex> lock(_mutex);
        _stopping = false;
    }
    _thread = std::thread(&BridgePeer::Run, this);
}

void BridgePeer::StopThread() {
    if (!_thread.joinable()) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(_mutex);
        _stopping = true;
    }
    Wake();
    _thread.join();
}

void BridgePeer::Run() {
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(_mutex);
            if (_stopping) {
                return;
            }
        }
        PollOnce();
    }
}

void BridgePeer::PollOnce() {
    pollfd watched = {};
    int timeout = -1;
    {
        std::lock_guard<std::mutex> lock(_mutex);
        const bool due = !_outgoing.empty() && _outgoing.front().due <= Clock::now();
        watched.fd = _master;
        watched.events = static_cast<short>(POLLIN | (due ? POLLOUT : 0));
        timeout = MillisecondsToNextDue();
    }
    if (!platform::PollWithWake(watched, _wakeFd, timeout)) {
        return;
    }
    if ((watched.revents & POLLIN) != 0) {
        ReceiveAvailable();
    } else if ((watched.revents & (POLLHUP | POLLERR)) != 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));  // nobody on the device side
    }
    if ((watched.revents & POLLOUT) != 0) {
        SendDue();
    }
}

void BridgePeer::ReceiveAvailable() {
    char buffer[65536];
    _reading = true;
    for (;;) {
        const ssize_t count = ::read(_master, buffer, sizeof(buffer));
        if (count <= 0) {
            _reading = false;
            _changed.notify_all();
            return;
        }
        std::lock_guard<std::mutex> lock(_mutex);
        std::string bytes(buffer, static_cast<size_t>(count));
        _received += bytes;
        _unmatched += bytes;
        _chunks.push_back(Chunk{Clock::now(), std::move(bytes)});
        MatchRules();
        _changed.notify_all();
    }
}

void BridgePeer::SendDue() {
    std::lock_guard<std::mutex> lock(_mutex);
    while (!_outgoing.empty() && _outgoing.front().due <= Clock::now()) {
        std::string& bytes = _outgoing.front().bytes;
        const ssize_t count = ::write(_master, bytes.data(), bytes.size());
        if (count <= 0) {
            break;
        }
        _sent += static_cast<size_t>(count);
        if (static_cast<size_t>(count) < bytes.size()) {
            bytes.erase(0, static_cast<size_t>(count));
            break;
        }
        _outgoing.pop_front();
    }
    _changed.notify_all();
}

void BridgePeer::Wake() const {
    if (_wakeFd >= 0) {
        eventfd_write(_wakeFd, 1);
    }
}

void BridgePeer::MatchRules() {
    size_t longest = 1;
    for (;;) {
        const Rule* best = nullptr;
        size_t bestPosition = std::string::npos;
        for (const Rule& rule : _rules) {
            longest = std::max(longest, rule.command.size());
            const size_t position = _unmatched.find(rule.command);
            if (position == std::string::npos) {
                continue;
            }
            if (best == nullptr || position < bestPosition ||
                (position == bestPosition && rule.command.size() > best->command.size())) {
                best = &rule;
                bestPosition = position;
            }
        }
        if (best == nullptr) {
            break;
        }
        _unmatched.erase(0, bestPosition + best->command.size());
        Queue(best->reply, Clock::now());
    }
    // Keep only what could still begin a command split across reads.
    if (_unmatched.size() >= longest) {
        _unmatched.erase(0, _unmatched.size() - (longest - 1));
    }
}

void BridgePeer::Queue(const std::string& bytes, Clock::time_point due) {
    if (bytes.empty()) {
        return;
    }
    auto later = std::find_if(_outgoing.begin(), _outgoing.end(),
                              [due](const Outgoing& item) { return item.due > due; });
    _outgoing.insert(later, Outgoing{due, bytes});
    Wake();
}

int BridgePeer::MillisecondsToNextDue() const {
    if (_outgoing.empty()) {
        return -1;
    }
    const auto wait = _outgoing.front().due - Clock::now();
    if (wait <= Clock::duration::zero()) {
        return -1;  // due now: poll waits for the pty to take it
    }
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(wait).count());
}

void BridgePeer::Expect(const std::string& command, const std::string& reply) {
    std::lock_guard<std::mutex> lock(_mutex);
    _rules.push_back(Rule{command, reply});
}

void BridgePeer::Stream(const std::vector<std::string>& lines, int pauseMs) {
    std::lock_guard<std::mutex> lock(_mutex);
    const Clock::time_point start = Clock::now();
    if (pauseMs <= 0) {
        std::string all;
        for (const std::string& line : lines) {
            all += line;
            all += '\r';
        }
        Queue(all, start);
        return;
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        Queue(lines[i] + '\r', start + std::chrono::milliseconds(pauseMs) * i);
    }
}

void BridgePeer::SendLine(const std::string& line) {
    SendRaw(line + '\r');
}

void BridgePeer::SendRaw(const std::string& bytes) {
    std::lock_guard<std::mutex> lock(_mutex);
    Queue(bytes, Clock::now());
}

void BridgePeer::GoSilent() {
    std::lock_guard<std::mutex> lock(_mutex);
    _rules.clear();
    _outgoing.clear();
    _unmatched.clear();
    _changed.notify_all();
}

void BridgePeer::HangUp() {
    StopThread();
    ClosePty();
    // The name no longer leads anywhere; the freed pty number may soon belong
    // to someone else.
    if (!_comName.isEmpty()) {
        platform::FileRegistry(_registryFile).RemoveValue(platform::kPortPathKey, _comName);
    }
}

void BridgePeer::Reconnect() {
    if (_thread.joinable()) {
        return;  // still connected
    }
    OpenPty();
    WriteListing();
    StartThread();
}

void BridgePeer::Unlist() {
    _listed = false;
    platform::FileRegistry(_registryFile).RemoveValue(platform::kSerialCommKey, _valueName);
}

void BridgePeer::List() {
    _listed = true;
    WriteListing();
}

void BridgePeer::WriteListing() const {
    platform::FileRegistry registry(_registryFile);
    if (!_comName.isEmpty()) {
        registry.WriteValue(platform::kPortPathKey, _comName, DevicePath());
    }
    if (_listed) {
        registry.WriteValue(platform::kSerialCommKey, _valueName, PortName());
    }
    const QString parameters =
        platform::kFtdiBusKey + QLatin1Char('\\') + _deviceName + "\\0000\\Device Parameters";
    registry.WriteValue(parameters, QStringLiteral("PortName"), PortName());
    QString latency;
    if (!registry.ReadValue(parameters, QStringLiteral("LatencyTimer"), &latency)) {
        registry.WriteValue(parameters, QStringLiteral("LatencyTimer"), QStringLiteral("16"));
    }
}

QString BridgePeer::LatencyTimer() const {
    QString latency;
    platform::FileRegistry(_registryFile)
        .ReadValue(
            platform::kFtdiBusKey + QLatin1Char('\\') + _deviceName + "\\0000\\Device Parameters",
            QStringLiteral("LatencyTimer"), &latency);
    return latency;
}

bool BridgePeer::WaitForBytes(size_t count, int timeoutMs) const {
    std::unique_lock<std::mutex> lock(_mutex);
    return _changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return _received.size() >= count; });
}

bool BridgePeer::WaitForText(const std::string& text, int timeoutMs) const {
    std::unique_lock<std::mutex> lock(_mutex);
    return _changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return _received.find(text) != std::string::npos; });
}

bool BridgePeer::WaitUntilSent(int timeoutMs) const {
    std::unique_lock<std::mutex> lock(_mutex);
    return _changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return _outgoing.empty(); });
}

std::string BridgePeer::Received() const {
    std::unique_lock<std::mutex> lock(_mutex);
    // Bytes the device wrote before this call may still sit in the
    // pseudo-terminal or in the reader's hands: let them land first.
    const auto settled = [this] {
        pollfd pending = {_master, POLLIN, 0};
        return !_reading &&
               (_master < 0 || poll(&pending, 1, 0) <= 0 || (pending.revents & POLLIN) == 0);
    };
    const Clock::time_point limit = Clock::now() + std::chrono::seconds(1);
    while (!settled() && Clock::now() < limit) {
        _changed.wait_for(lock, std::chrono::milliseconds(2));
    }
    return _received;
}

size_t BridgePeer::ReceivedCount() const {
    std::lock_guard<std::mutex> lock(_mutex);
    return _received.size();
}

std::vector<BridgePeer::Chunk> BridgePeer::ReceivedChunks() const {
    std::lock_guard<std::mutex> lock(_mutex);
    return _chunks;
}

void BridgePeer::ClearReceived() {
    std::lock_guard<std::mutex> lock(_mutex);
    _received.clear();
    _chunks.clear();
    _unmatched.clear();
}

size_t BridgePeer::SentCount() const {
    std::lock_guard<std::mutex> lock(_mutex);
    return _sent;
}

bool BridgePeer::LineSettings(termios* settings) const {
    std::lock_guard<std::mutex> lock(_mutex);
    return _slave >= 0 && tcgetattr(_slave, settings) == 0;
}

bool BridgePeer::SetLineSettings(const termios& settings) {
    std::lock_guard<std::mutex> lock(_mutex);
    return _slave >= 0 && tcsetattr(_slave, TCSANOW, &settings) == 0;
}
