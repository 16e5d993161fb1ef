#include "MassProductionFixture.h"

#include <gtest/gtest.h>

#include "EventPump.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QThread>
#include <algorithm>

#include "BridgePeer.h"
#include "ZeltoMP.h"

MassProductionFixture::MassProductionFixture() = default;

MassProductionFixture::~MassProductionFixture() {
    Destroy();
}

ZeltoMP& MassProductionFixture::Create() {
    _window = std::make_unique<ZeltoMP>();
    return *_window;
}

void MassProductionFixture::Destroy() {
    _window.reset();
}

bool MassProductionFixture::OpenPort(BridgePeer& peer, const QString& bitRate) {
    ZeltoMP& window = Window();
    window.PortCombo()->setCurrentText(peer.PortName());
    window.BitRateCombo()->setCurrentText(bitRate);
    window.Form().actionOpen->trigger();
    return peer.WaitForText("v");
}

ZeltoMP& MassProductionFixture::OpenWithVersions(BridgePeer& peer,
                                                 const std::string& slaveVersion) {
    AnswerVersions(peer, "ABC BV5.3", slaveVersion);
    ZeltoMP& window = Create();
    EXPECT_TRUE(OpenPort(peer));
    EXPECT_TRUE(WaitUntil([&] { return !window.Form().slave_label->text().isEmpty(); }));
    EXPECT_TRUE(WaitForInformationRequests(peer));
    return window;
}

bool MassProductionFixture::WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    return PumpUntil(done, timeoutMs);
}

void MassProductionFixture::Spin(int milliseconds) {
    PumpFor(milliseconds);
}

bool MassProductionFixture::WaitForInformationRequests(const BridgePeer& peer) {
    // Each round of requests ends with "Z".
    return WaitUntil([&] {
        const std::string received = peer.Received();
        return std::count(received.begin(), received.end(), 'Z') >= 2;
    });
}

void MassProductionFixture::AnswerVersions(BridgePeer& peer, const std::string& masterVersion,
                                           const std::string& slaveVersion) {
    peer.Expect("v", MasterLine(masterVersion) + "\r");
    peer.Expect("a", "Slave version: " + slaveVersion +
                         "\r"
                         "The CRC of the application of the slave: 0x 3A 5C \r"
                         "Number of x electrodes: 0x05\r"
                         "Number of y electrodes: 0x04\r");
}
