#pragma once

#include <QDialog>
#include <QProcess>
#include <QString>

#include "ui_TunePathSettings.h"

class Settings;

// The tuning set-up: names the pattern XML to tune and the tuning firmware
// line, can check the pattern in the maker's configuration tool, and ends
// either with a download of the tuning images first or with the statement
// that they are on the panel already. Leaves the pattern's working copy
// "tune_xml.tmp" in the program's directory when accepted; a pattern that
// cannot be copied there is reported and keeps the dialog open with the copy
// as it was, and the copy itself is refused as the pattern.
class TunePathSettings : public QDialog {
    Q_OBJECT
public:
    // `settings` stays the caller's and must outlive the dialog.
    TunePathSettings(Settings* settings, QWidget* parent);
    ~TunePathSettings() override;

    // True after an accept that asks for the tuning images to be downloaded.
    bool DownloadChosen() const { return _download; }
    // The firmware line: "MP8.0", "MP8.2" or "MP9.0".
    QString GetMpVersion() const;
    Ui::TunePathSettings& Form() { return ui; }

private slots:
    void accept() override;
    void Download();
    void CheckPattern();
    void SelectXmlFile();
    void SelectVmxFile();
    void SelectNormalVmxFile();
    void SlaveConfigFail(QProcess::ProcessError error);
    void EnterTuneMode();

private:
    void SaveSettings();
    bool IsWorkingCopy(const QString& pattern) const;
    bool PlaceWorkingCopy(const QString& pattern);
    void StorePath(const char* key, const QString& path);
    // Asks for a firmware file; a chosen one is shown in `line` and stored
    // under `key`. False when the operator cancels.
    bool PickFirmwareFile(const QString& title, QLineEdit* line, const char* key);

    bool _download = false;
    Ui::TunePathSettings ui;
    Settings* _settings;
};
