#pragma once

#include <fstream>
#include <string>

#include "SerialPortDialog.h"
#include "ui_QualifyLogDialog.h"

class QCloseEvent;
class Settings;

namespace morvex_gui {

// Logs the controller's qualification lines ("Q:" and twelve fields) into
// the file named by the setting "qualify_log_file", each field behind its
// label, until "qualification_lines" lines are logged or the engineer
// finishes. Takes over the bridge while it runs: switches the controller
// into logging mode shortly after it opens and back to normal mode when it
// ends.
class QualifyLogDialog : public SerialPortDialog {
    Q_OBJECT
public:
    static constexpr int kDefaultLines = 111000;

    // `settings` and `device` stay the caller's; the device is a
    // TuneInitDevice.
    QualifyLogDialog(Settings* settings, Device* device, QWidget* parent);
    ~QualifyLogDialog() override;

    Ui::QualifyLogDialog& Form() { return ui; }

    // A reply line with its fields labelled; empty when it is no "Q:" line.
    static std::string LabelledLine(const std::string& line);

private slots:
    void Finish();
    void StartLogging();
    void ReadSerialPort() override;

private:
    bool LogLine(const std::string& line);
    void EndWithShortLog(const char* reason);
    void EndSession() override;

    Ui::QualifyLogDialog ui;
    Settings* _settings;
    int _loggedLines = 0;
    int _maxLines = kDefaultLines;
    std::ofstream _logFile;
    QString _logPath;
    // Logging mode has been left; nothing more is sent or written.
    bool _ended = false;
};

}  // namespace morvex_gui
