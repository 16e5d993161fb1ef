#pragma once

#include <QtGlobal>
#include <mutex>
#include <string>
#include <vector>

// Collects Qt messages (warnings included) from any thread while it lives,
// instead of letting them reach the console.
class MessageCapture {
public:
    MessageCapture();
    ~MessageCapture();

    Q_DISABLE_COPY(MessageCapture)

    std::vector<std::string> Messages() const;
    bool Contains(const std::string& text) const;
    void Clear();

private:
    static MessageCapture*& Instance();
    static void Handle(QtMsgType, const QMessageLogContext&, const QString& message);

    mutable std::mutex _mutex;
    std::vector<std::string> _messages;
    QtMessageHandler _previous = nullptr;
};
