#pragma once

#include <QByteArray>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ProgramFolderFixture.h"

class BridgePeer;
class Drovanel;

// Answers the modal message boxes that come up while it lives and keeps what
// they said. A box is answered from inside its own event loop, so a test can
// run code there first (SetOnShown), as a user's clicks would.
class MessageBoxCatcher : public QObject {
public:
    struct Box {
        QString title;
        QString text;
        QMessageBox::Icon icon;
        bool hasParent;
    };

    explicit MessageBoxCatcher(QMessageBox::StandardButton answer = QMessageBox::Ok);

    void SetAnswer(QMessageBox::StandardButton answer) { _answer = answer; }
    void SetOnShown(std::function<void()> onShown) { _onShown = std::move(onShown); }
    const std::vector<Box>& Boxes() const { return _boxes; }
    QStringList Titles() const;
    void Clear() { _boxes.clear(); }

private:
    void Poll();

    QTimer _timer;
    QMessageBox::StandardButton _answer;
    std::function<void()> _onShown;
    std::vector<Box> _boxes;
    bool _busy = false;
};

// What every test of the engineering window needs: the program folder of
// ProgramFolderFixture and the window itself.
class DrovanelFixture : public ProgramFolderFixture {
public:
    DrovanelFixture();
    ~DrovanelFixture();

    Drovanel& Create();
    // Destroys the window as closing the program does (settings saved, log lines).
    void Destroy();
    Drovanel& Window() { return *_window; }

    // Picks the peer's port and speed and switches the port on; true once the
    // start-up sequence reached the peer.
    bool OpenPort(BridgePeer& peer, const QString& speed = QStringLiteral("230400"));
    // Opens with the bridge answering the version check (see AnswerStartUp);
    // true once the window has passed the check, the exchange is over and
    // the user panel shows.
    bool OpenChecked(BridgePeer& peer, const std::string& master = "ABC BV5.3");

    static bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 3000);
    static void Spin(int milliseconds);

    // The bridge's answers in the version check: the master version line to
    // "v", the slave version and electrode counts (5 and 4) to "a", and to
    // "r0000" the register content followed by the EEPROM structure version
    // 0x15 (a match when the register holds "15").
    static void AnswerStartUp(BridgePeer& peer, const std::string& master = "ABC BV5.3",
                              const std::string& registerContent = "15");

private:
    std::unique_ptr<Drovanel> _window;
};
