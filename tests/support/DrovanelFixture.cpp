#include "DrovanelFixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTableWidget>
#include <QToolBar>
#include <algorithm>

#include "BridgePeer.h"
#include "DisplayView.h"
#include "EventPump.h"

MessageBoxCatcher::MessageBoxCatcher(QMessageBox::StandardButton answer) : _answer(answer) {
    connect(&_timer, &QTimer::timeout, this, &MessageBoxCatcher::Poll);
    _timer.start(5);
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
    _boxes.push_back({box->windowTitle(), box->text()});
    if (QAbstractButton* button = box->button(_answer)) {
        button->click();
    } else {
        box->reject();
    }
    _busy = false;
}

DrovanelFixture::~DrovanelFixture() {
    Destroy();
}

Drovanel& DrovanelFixture::Create() {
    _window = std::make_unique<Drovanel>();
    return *_window;
}

void DrovanelFixture::Do(QWidget& root, const QString& step) {
    const QRegularExpression separator("[=#(]");
    const QByteArray name = step.section(separator, 0, 0).toLatin1();
    const QString value = step.section(separator, 1).remove(')');
    if (step.contains('(')) {
        QMetaObject::invokeMethod(&root, name, Q_ARG(int, value.toInt()));
    } else if (auto* table = root.findChild<QTableWidget*>(name)) {
        qobject_cast<QPushButton*>(table->cellWidget(value.toInt(), 0))->click();
    } else if (auto* spin = root.findChild<QSpinBox*>(name)) {
        spin->setValue(value.toInt());
    } else if (auto* list = root.findChild<QListWidget*>(name)) {
        list->setCurrentRow(value.toInt());
    } else if (auto* line = root.findChild<QLineEdit*>(name)) {
        line->setText(value);
    } else if (auto* combo = root.findChild<QComboBox*>(name)) {
        combo->setCurrentText(value);
    } else if (auto* button = root.findChild<QAbstractButton*>(name)) {
        button->click();
    } else {
        root.findChild<QAction*>(name)->trigger();
    }
}

bool DrovanelFixture::Run(const QString& step, std::deque<DialogScript::Step> dialogs) {
    DialogScript script(std::move(dialogs));
    Do(step);
    return PumpUntil([&] { return script.Done(); });
}

QString DrovanelFixture::Panel() const {
    return Find<QStackedWidget>("controlPanel")->currentWidget()->objectName();
}

QString DrovanelFixture::Status(const char* key) const {
    for (QLabel* label : _window->statusBar()->findChildren<QLabel*>()) {
        if (label->text().contains(QLatin1String(key))) {
            return label->text();
        }
    }
    return QString();
}

QComboBox* DrovanelFixture::ToolBarList(bool speeds) const {
    return _window->findChild<QComboBox*>(speeds ? QStringLiteral("speedCombo")
                                                 : QStringLiteral("portCombo"));
}

boost::shared_ptr<morvex_gui_qtlib::Scene> DrovanelFixture::Scene() const {
    return _window->findChild<morvex_gui_qtlib::DisplayView*>()->GetScene();
}

QByteArray DrovanelFixture::SavedConfig() {
    Destroy();
    return Dir().Read(QStringLiteral("config.ini"));
}

bool DrovanelFixture::OpenPort(BridgePeer& peer, const QString& speed) {
    ToolBarList(false)->setCurrentText(peer.PortName());
    ToolBarList(true)->setCurrentText(speed);
    Action("actionOpen")->trigger();
    return peer.WaitForText("v");
}

bool DrovanelFixture::OpenChecked(BridgePeer& peer, const std::string& master) {
    AnswerStartUp(peer, master);
    if (!OpenPort(peer)) {
        return false;
    }
    // Both EEPROM blocks end in "Z", and each matching structure version
    // answers with one more: the exchange is over after the fourth.
    const bool settled = PumpUntil([&] {
        const std::string received = peer.Received();
        return std::count(received.begin(), received.end(), 'Z') == 4;
    });
    PumpFor(20);
    return settled && Panel() == "userPanel";
}

std::string DrovanelFixture::Sent(BridgePeer& peer, const std::function<void()>& act,
                                  const std::string& expected) {
    for (size_t seen = 0, quiet = 0; quiet < 5;
         quiet = seen == peer.ReceivedCount() ? quiet + 1 : 0) {
        seen = peer.ReceivedCount();
        PumpFor(10);
    }
    peer.ClearReceived();
    act();
    PumpUntil([&] { return peer.ReceivedCount() >= expected.size(); });
    PumpFor(30);
    return peer.Received();
}

void DrovanelFixture::SendAsOneRead(BridgePeer& peer, const std::string& bytes) {
    Action("action_Stop")->trigger();
    peer.SendRaw(bytes.substr(0, bytes.size() - 1));
    peer.WaitUntilSent();
    PumpFor(100);
    Action("action_Stop")->trigger();
    peer.SendRaw(bytes.substr(bytes.size() - 1));
    peer.WaitUntilSent();
    PumpFor(50);
}

void DrovanelFixture::AnswerStartUp(BridgePeer& peer, const std::string& master,
                                    const std::string& registerContent) {
    peer.Expect("v", MasterLine(master) + "\r");
    peer.Expect("a",
                "Slave version: ZT-1.0\rNumber of x electrodes: 0x05\r"
                "Number of y electrodes: 0x04\r");
    peer.Expect("r0000", "Read register content: " + registerContent +
                             "\rThe eeprom structure version: 0x15\r");
}
