#pragma once

#include <QDialog>
#include <QString>
#include <vector>

#include "ui_ThresholdSettingDialog.h"

class Settings;

// The per-channel raw-data limits of the current panel geometry: shows them,
// lets the operator edit or import them and writes the threshold file
// "X<x>Y<y>.txt" in the program's directory. The file format and the loading
// rules are those of ThresholdTable, which the core uses without a GUI.
// Table rows: 0 X maximum, 1 X minimum, 2 Y maximum, 3 Y minimum.
class ThresholdSettingDialog : public QDialog {
    Q_OBJECT

public:
    // Does not take ownership of `settings`; loads and shows the table.
    ThresholdSettingDialog(Settings* settings, QWidget* parent);
    ~ThresholdSettingDialog() override;

    // From the threshold file when it fits the counts, else the defaults.
    void loadThresholdValues();
    std::vector<std::vector<int> > getThresholdValues() const;

private slots:
    void changeThresholdValues();
    void importThresholdValues();
    bool readFromFile(QString file);

private:
    void LayOutTable();
    void showThresholdValues();
    // False (after telling the operator) when the file cannot be written.
    bool saveThresholdValues();
    std::vector<int> CellRow(int tableRow, int count) const;
    void SetCell(int row, int column, int value);

    Ui_ThresholdSettingDialog ui;
    Settings* _settings;
    int _xElectrodes;
    int _yElectrodes;
    std::vector<std::vector<int> > _thresholds;
};
