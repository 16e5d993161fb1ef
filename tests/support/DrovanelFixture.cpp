#include "DrovanelFixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QThread>
#include <algorithm>

#include "BridgePeer.h"
#include "Drovanel.h"

namespace {
constexpr int kPollMs = 5;
}  // namespace

MessageBoxCatcher::MessageBoxCatcher(QMessageBox::StandardButton answer) : _answer(answer) {
    connect(&_timer, &QTimer::timeout, this, &MessageBoxCatcher::Poll);
    _timer.start(kPollMs);
}

QStringList MessageBoxCatcher::Titles() const {
    QStringList titles;
    for (const Box& box : _boxes) {
        titles << box.title;
    }
    return titles;
}

void MessageBoxCatcher::Poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || _busy) {
        return;
    }
    _busy = true;
    _boxes.push_back(
        {box->windowTitle(), box->text(), box->icon(), box->parentWidget() != nullptr});
    if (_onShown) {
        _onShown();
    }
    if (QAbstractButton* button = box->button(_answer)) {
        button->click();
    } else {
        box->reject();
    }
    _busy = false;
}

DrovanelFixture::DrovanelFixture() = default;

DrovanelFixture::~DrovanelFixture() {
    Destroy();
}

Drovanel& DrovanelFixture::Create() {
    _window = std::make_unique<Drovanel>();
    return *_window;
}

void DrovanelFixture::Destroy() {
    _window.reset();
}

bool DrovanelFixture::OpenPort(BridgePeer& peer, const QString& speed) {
    Drovanel& window = Window();
    window.PortCombo()->setCurrentText(peer.PortName());
    window.SpeedCombo()->setCurrentText(speed);
    window.Form().actionOpen->trigger();
    return peer.WaitForText("v");
}

bool DrovanelFixture::OpenChecked(BridgePeer& peer, const std::string& master) {
    AnswerStartUp(peer, master);
    if (!OpenPort(peer)) {
        return false;
    }
    Drovanel& window = Window();
    // Both EEPROM blocks end in "Z", and each matching structure version
    // answers with one more: the exchange is over after the fourth.
    const bool settled = WaitUntil([&] {
        const std::string received = peer.Received();
        return std::count(received.begin(), received.end(), 'Z') == 4;
    });
    Spin(20);
    return settled && window.Form().actionUserMode->isChecked() &&
           window.Form().controlPanel->currentWidget() == window.Form().userPanel;
}

bool DrovanelFixture::WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

void DrovanelFixture::Spin(int milliseconds) {
    WaitUntil([] { return false; }, milliseconds);
}

void DrovanelFixture::AnswerStartUp(BridgePeer& peer, const std::string& master,
                                    const std::string& registerContent) {
    peer.Expect("v", MasterLine(master) + "\r");
    peer.Expect("a",
                "Slave version: ZT-1.0\r"
                "Number of x electrodes: 0x05\r"
                "Number of y electrodes: 0x04\r");
    peer.Expect("r0000", "Read register content: " + registerContent +
                             "\r"
                             "The eeprom structure version: 0x15\r");
}
