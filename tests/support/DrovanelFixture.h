#pragma once

#include <QAction>
#include <QMessageBox>
#include <QTimer>
#include <boost/shared_ptr.hpp>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DialogScript.h"
#include "Drovanel.h"
#include "ProgramFolderFixture.h"

class BridgePeer;
class QComboBox;
namespace morvex_gui_qtlib {
class Scene;
}

// Answers the modal message boxes that come up while it lives, from inside
// their own event loops, and keeps what they said.
class MessageBoxCatcher : public QObject {
public:
    struct Box {
        QString title;
        QString text;
    };

    explicit MessageBoxCatcher(QMessageBox::StandardButton answer = QMessageBox::Ok);
    const std::vector<Box>& Boxes() const { return _boxes; }
    QStringList Titles() const;
    void Clear() { _boxes.clear(); }
    void SetAnswer(QMessageBox::StandardButton answer) { _answer = answer; }

private:
    void Poll();

    QTimer _timer;
    QMessageBox::StandardButton _answer;
    std::vector<Box> _boxes;
    bool _busy = false;
};

// The engineering window in a scratch program folder, and its widgets as the
// engineer finds them: by object name, or by what they show.
class DrovanelFixture : public ProgramFolderFixture {
public:
    ~DrovanelFixture();
    Drovanel& Create();
    // Closes the window as the program does (settings saved, log lines).
    void Destroy() { _window.reset(); }
    Drovanel& Window() { return *_window; }
    template <class T = QWidget>
    T* Find(const char* name) const {
        return _window->findChild<T*>(QString::fromLatin1(name));
    }
    QAction* Action(const char* name) const { return Find<QAction>(name); }
    // One engineer's step in `root` (the window or a dialog): "name=value"
    // sets a spin box, list row, line or combo entry, "table#row" clicks a
    // function table's button, "Slot(n)" calls a slot, and a bare name clicks
    // a button or triggers an action.
    static void Do(QWidget& root, const QString& step);
    void Do(const QString& step) { Do(*_window, step); }
    // Does `step` and answers the dialogs it brings up; true once all were.
    bool Run(const QString& step, std::deque<DialogScript::Step> dialogs);
    QString Panel() const;  // the control dock's page
    // The status line's caption that holds `key` ("M-Ver", "X-Ch."...).
    QString Status(const char* key) const;
    // The port list, or with `speeds` the speed list.
    QComboBox* ToolBarList(bool speeds) const;
    boost::shared_ptr<morvex_gui_qtlib::Scene> Scene() const;
    template <class SceneT>
    bool Shows() const {
        return boost::dynamic_pointer_cast<SceneT>(Scene()) != nullptr;
    }
    QByteArray SavedConfig();  // config.ini as closing the window saves it

    // Switches the peer's port on at `speed`; true once the start-up reached the peer.
    bool OpenPort(BridgePeer& peer, const QString& speed = QStringLiteral("230400"));
    // Opens through a passed version check; true once the user panel shows.
    bool OpenChecked(BridgePeer& peer, const std::string& master = "ABC BV5.3");
    // What the bridge received for `act` (at least as much as `expected`).
    std::string Sent(BridgePeer& peer, const std::function<void()>& act,
                     const std::string& expected = "");
    // Sends `bytes` so that the window takes them in one read.
    void SendAsOneRead(BridgePeer& peer, const std::string& bytes);
    // The bridge's answers in the version check: master version, slave version with
    // 5 X and 4 Y electrodes, and EEPROM structure 0x15 (a match for register "15").
    static void AnswerStartUp(BridgePeer& peer, const std::string& master = "ABC BV5.3",
                              const std::string& registerContent = "15");

private:
    std::unique_ptr<Drovanel> _window;
};
