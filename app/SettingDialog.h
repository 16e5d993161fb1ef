#pragma once

#include <QDialog>
#include <QString>
#include <string>
#include <vector>

#include "ui_SettingDialog.h"

class QWidget;
class Settings;

// The test configuration of a panel type: resolution and mirroring, expected
// firmware versions, which test items run and each item's limits and time.
// Works on the opener's store in place: the constructor copies the keys into
// the widgets, accept() writes all of them back and saves config.ini.
class SettingDialog : public QDialog {
    Q_OBJECT

public:
    // Does not take ownership of `settings`, which must outlive the dialog.
    SettingDialog(Settings* settings, QWidget* parent);
    ~SettingDialog() override;

    // Runs the dialog over `settings` with its start, cancel and accept lines
    // in the operation log; true when the operator accepted.
    static bool EditDefaults(Settings* settings, QWidget* parent);

public slots:
    void accept() override;
    // The password is asked by the opener; kept for the engineering window.
    void VerifyPwd();

private:
    // How a key's text and its widget convert into each other.
    enum class Rule { Spin, Resolution, Double, Combo, Edit, Switch };

    struct Binding {
        const char* key;
        Rule rule;
        QWidget* widget;   // null for a switch that is an item of the list
        int listRow = -1;  // the item of the list for such a switch
    };

    // Every key the dialog edits, in the order accept() stores them.
    std::vector<Binding> Bindings();
    void LoadSettings();
    void LoadValue(const Binding& binding, const std::string& text);
    void LoadButtonNumber(const std::string& text);
    QString WidgetText(const Binding& binding) const;
    void SetSwitch(const Binding& binding, bool on);
    bool SwitchIsOn(const Binding& binding) const;
    void HideUnusedRows();

    Ui_SettingDialog ui;
    Settings* _settings;
};
