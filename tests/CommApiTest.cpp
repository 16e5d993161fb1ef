#include <gtest/gtest.h>

#include <QThread>

#include "BridgePeer.h"
#include "CommApi.h"

using namespace platform;

namespace {

// A comm handle on the peer's port with an event record, as the event thread uses them.
class CommApiTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string name = "\\\\.\\" + peer.PortName().toStdString();
        handle = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_FLAG_OVERLAPPED, nullptr);
        ASSERT_NE(handle, INVALID_HANDLE_VALUE);
        overlapped.hEvent = CreateEventA(nullptr, 1, 0, nullptr);
        ASSERT_TRUE(SetCommMask(handle, EV_RXCHAR | EV_TXEMPTY));
    }
    void TearDown() override {
        CloseHandle(handle);
        CloseHandle(overlapped.hEvent);
    }

    // Starts a wait; true when it is pending.
    bool StartWait() {
        ResetEvent(overlapped.hEvent);
        events = 0xFFFF;
        return !WaitCommEvent(handle, &events, &overlapped) && GetLastError() == ERROR_IO_PENDING;
    }
    bool Signaled(DWORD ms) { return WaitForSingleObject(overlapped.hEvent, ms) == WAIT_OBJECT_0; }

    DWORD InQueue() {
        DWORD errors = 0;
        COMSTAT status{};
        EXPECT_TRUE(ClearCommError(handle, &errors, &status));
        return status.cbInQue;
    }

    std::string ReadAll() {
        std::string text;
        char buffer[65536];
        DWORD count = 0;
        while (ReadFile(handle, buffer, sizeof(buffer), &count, nullptr) && count > 0) {
            text.append(buffer, count);
        }
        return text;
    }

    BridgePeer peer;
    HANDLE handle = INVALID_HANDLE_VALUE;
    OVERLAPPED overlapped{};
    DWORD events = 0;
};

}  // namespace

TEST_F(CommApiTest, HangUpFailsThePendingWaitAndLaterOnes) {
    peer.SendRaw("xy");
    while (InQueue() < 2) {
        QThread::msleep(1);
    }
    ASSERT_FALSE(StartWait()) << "the arrival is already known";
    ASSERT_TRUE(StartWait()) << "unread bytes raise no second event";
    peer.HangUp();
    ASSERT_TRUE(Signaled(2000));
    DWORD unused = 0;
    EXPECT_FALSE(GetOverlappedResult(handle, &overlapped, &unused, 0));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(StartWait());
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);

    EXPECT_EQ(ReadAll(), "xy") << "what arrived before stays readable";
}

TEST_F(CommApiTest, AFullBufferHoldsTheSenderBackAndLosesNothing) {
    std::string sent;
    for (int i = 0; sent.size() < kReceiveBufferSize + 300000; ++i) {
        sent += std::to_string(i) + ',';
    }
    peer.SendRaw(sent);
    for (int i = 0; i < 5000 && InQueue() < kReceiveBufferSize; ++i) {
        QThread::msleep(1);
    }
    EXPECT_EQ(InQueue(), kReceiveBufferSize);
    EXPECT_LT(peer.SentCount(), sent.size());

    std::string received;
    for (int i = 0; i < 5000 && received.size() < sent.size(); ++i) {
        received += ReadAll();
        QThread::msleep(1);
    }
    EXPECT_TRUE(received == sent);
}
