#pragma once

#include <termios.h>
#include <atomic>

#include <QString>
#include <QTemporaryDir>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// The bridge board's side of a pseudo-terminal, for end-to-end tests.
//
// It lists the device side of the pty in the registry file that
// MORVEX_REGISTRY_FILE names (it creates one and sets the variable for the
// test when none is set), runs on its own thread (the GUI thread blocks in
// command sequences), records every byte it receives with a time stamp, and
// answers from a script:
//
//   BridgePeer peer;                       // or BridgePeer peer("COM7");
//   peer.Expect("v", "Master version: ...\r");
//   CoreDevice device(&imp, &state);
//   device.Open(peer.PortName(), "230400");
//   EXPECT_TRUE(peer.WaitForText("#q#q@o##v"));
//   peer.Stream({"line 1", "line 2"});    // each line gets "\r"
//   peer.HangUp();                         // the adapter is pulled
class BridgePeer {
public:
    using Clock = std::chrono::steady_clock;

    struct Chunk {
        Clock::time_point at;
        std::string bytes;
    };

    // Without a name the port is listed (and opened) under the pty's path;
    // with one ("COM7") under that name, mapped to the path.
    explicit BridgePeer(const QString& portName = QString());
    ~BridgePeer();

    Q_DISABLE_COPY(BridgePeer)

    // The name to give Device::Open.
    QString PortName() const;
    // The pty's device side (/dev/pts/N); changes with Reconnect.
    QString DevicePath() const;
    QString RegistryFile() const { return _registryFile; }

    // --- script ---
    // Whenever the received bytes contain `command`, sends `reply` as it is.
    // Of rules that match at the same place the longest command wins.
    void Expect(const std::string& command, const std::string& reply);
    // Sends each line followed by "\r", `pauseMs` apart; 0 sends them as fast
    // as the pty takes them.
    void Stream(const std::vector<std::string>& lines, int pauseMs = 0);
    void SendLine(const std::string& line);
    void SendRaw(const std::string& bytes);
    // Forgets the rules and drops output not yet sent; receiving goes on.
    void GoSilent();
    // Closes the pty as a pulled adapter would: the device side sees a
    // hang-up, its path disappears and a port name no longer resolves. The
    // port stays in the serial-port map until Unlist.
    void HangUp();
    // A new pty after HangUp, listed under the same port name.
    void Reconnect();
    // Removes the port from the registry's serial-port map / lists it again.
    void Unlist();
    void List();
    // The driver's latency timer as the registry file holds it.
    QString LatencyTimer() const;

    // --- observation ---
    bool WaitForBytes(size_t count, int timeoutMs = 3000) const;
    bool WaitForText(const std::string& text, int timeoutMs = 3000) const;
    // Waits until every queued byte has gone into the pty.
    bool WaitUntilSent(int timeoutMs = 3000) const;
    std::string Received() const;
    size_t ReceivedCount() const;
    std::vector<Chunk> ReceivedChunks() const;
    void ClearReceived();
    size_t SentCount() const;
    // The line settings of the device side, as the device set them.
    bool LineSettings(termios* settings) const;
    // Puts the device side into other settings (before the device opens it).
    bool SetLineSettings(const termios& settings);

private:
    struct Rule {
        std::string command;
        std::string reply;
    };
    struct Outgoing {
        Clock::time_point due;
        std::string bytes;
    };

    void OpenPty();
    void ClosePty();
    void StartThread();
    void StopThread();
    void Run();
    void PollOnce();
    void ReceiveAvailable();
    void SendDue();
    void Wake() const;
    void WriteListing() const;

    // With _mutex held.
    void MatchRules();
    void Queue(const std::string& bytes, Clock::time_point due);
    int MillisecondsToNextDue() const;

    QString _comName;
    QString _valueName;
    QString _deviceName;
    QString _registryFile;
    std::unique_ptr<QTemporaryDir> _registryDir;
    bool _ownsRegistryVariable = false;
    bool _listed = false;

    int _master = -1;
    std::atomic<bool> _reading{false};
    int _slave = -1;
    int _wakeFd = -1;
    QString _devicePath;
    std::thread _thread;
    bool _stopping = false;

    mutable std::mutex _mutex;
    mutable std::condition_variable _changed;
    std::vector<Rule> _rules;
    std::string _unmatched;
    std::deque<Outgoing> _outgoing;
    std::vector<Chunk> _chunks;
    std::string _received;
    size_t _sent = 0;
};
