#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "ProgramFolderFixture.h"

class BridgePeer;
class ZeltoMP;

// What every test of the mass-production window needs: the program folder
// of ProgramFolderFixture and the window itself.
class MassProductionFixture : public ProgramFolderFixture {
public:
    MassProductionFixture();
    ~MassProductionFixture();

    ZeltoMP& Create();
    // Destroys the window as closing the program does (settings saved, log lines).
    void Destroy();
    ZeltoMP& Window() { return *_window; }

    // Picks the peer's port and speed and opens it; true once the start-up
    // sequence reached the peer.
    bool OpenPort(BridgePeer& peer, const QString& bitRate = QStringLiteral("230400"));
    // Creates the window with the bridge answering the version checks, opens
    // the port and waits until the slave's version is shown and the
    // information requests are through, so later traffic stands alone.
    ZeltoMP& OpenWithVersions(BridgePeer& peer, const std::string& slaveVersion = "ZT-1.0");
    // Lets the event loop run until `done` or the time is up.
    static bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 3000);
    // Lets the event loop run for a while.
    static void Spin(int milliseconds);

    // The bridge's answers that the window's version check reads: the master
    // version to "v", and to "a" the slave version, its CRC and the counts.
    static void AnswerVersions(BridgePeer& peer, const std::string& masterVersion,
                               const std::string& slaveVersion);
    // Waits until both rounds of the information requests that the master
    // version provokes have reached the peer, so later traffic stands alone.
    static bool WaitForInformationRequests(const BridgePeer& peer);

private:
    std::unique_ptr<ZeltoMP> _window;
};
