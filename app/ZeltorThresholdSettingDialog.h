#pragma once

#include <QDialog>
#include <QString>
#include <string>
#include <vector>

#include "ui_ZeltorThresholdSettingDialog.h"

class Settings;

// The base, fluctuation and shift of every X and Y channel, kept in a
// six-line threshold file: the one named by the setting "threshold_filename"
// in the program's directory, else "X<x>Y<y>.txt". Same file format and
// reading rules as the raw-data limits (ThresholdTable).
// Table rows: 0 X base, 1 X fluctuation, 2 X shift, 3 Y base, 4 Y fluctuation, 5 Y shift.
class ZeltorThresholdSettingDialog : public QDialog {
    Q_OBJECT

public:
    // Does not take ownership of `settings`; loads and shows the table.
    ZeltorThresholdSettingDialog(Settings* settings, QWidget* parent);
    ~ZeltorThresholdSettingDialog() override;

    void loadThresholdValues();

private slots:
    void changeThresholdValues();
    void importThresholdValues();
    bool readFromFile(QString file);
    // An entry in column 0 of a fluctuation or shift row sets that row's channels.
    void changeContent(int row, int col);

private:
    void LayOutTable();
    void showThresholdValues();
    // False (after telling the operator) when the file cannot be written.
    bool saveThresholdValues();
    std::vector<int> RowLengths() const;
    std::vector<std::vector<int> > Defaults() const;
    QString LoadFileName() const;
    QString SaveFileName() const;
    std::vector<int> CellRow(int tableRow, int count) const;

    Ui_ZeltorThresholdSettingDialog ui;
    Settings* _settings;
    int _xElectrodes;
    int _yElectrodes;
    std::vector<std::vector<int> > _thresholds;
    std::string _fileName;
};
