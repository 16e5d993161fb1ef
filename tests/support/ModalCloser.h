#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <vector>

// Answers the modal boxes that the code under test opens with exec(): each
// message box is recorded (title, text, informative text) and closed with its
// default answer; a file dialog gets the file chosen with ChooseFile, or is
// cancelled when none is set.
class ModalCloser : public QObject {
public:
    struct Box {
        QString title;
        QString text;
        QString informative;
    };

    ModalCloser();

    void ChooseFile(const QString& path) { _file = path; }
    const std::vector<Box>& Boxes() const { return _boxes; }
    int FileDialogs() const { return _fileDialogs; }
    void Clear() { _boxes.clear(); }

private:
    void Poll();

    QTimer _timer;
    QString _file;
    std::vector<Box> _boxes;
    int _fileDialogs = 0;
};
