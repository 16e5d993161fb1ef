#include "MessageCapture.h"

#include <QString>

MessageCapture::MessageCapture() {
    Instance() = this;
    _previous = qInstallMessageHandler(&MessageCapture::Handle);
}

MessageCapture::~MessageCapture() {
    qInstallMessageHandler(_previous);
    Instance() = nullptr;
}

std::vector<std::string> MessageCapture::Messages() const {
    std::lock_guard<std::mutex> lock(_mutex);
    return _messages;
}

bool MessageCapture::Contains(const std::string& text) const {
    for (const std::string& message : Messages()) {
        if (message.find(text) != std::string::npos) {
            return true;
        }
    }
    return false;
}

void MessageCapture::Clear() {
    std::lock_guard<std::mutex> lock(_mutex);
    _messages.clear();
}

MessageCapture*& MessageCapture::Instance() {
    static MessageCapture* instance = nullptr;
    return instance;
}

void MessageCapture::Handle(QtMsgType, const QMessageLogContext&, const QString& message) {
    if (MessageCapture* capture = Instance()) {
        std::lock_guard<std::mutex> lock(capture->_mutex);
        capture->_messages.push_back(message.toStdString());
    }
}
