#include "ThresholdSettingDialog.h"

#include <algorithm>

#include <QMessageBox>
#include <QTableWidgetItem>

#include "Settings.h"
#include "ThresholdTable.h"
#include "ThresholdTableForm.h"

namespace {

enum TableRow { kXLabels = 0, kXMax = 1, kXMin = 2, kYLabels = 3, kYMax = 4, kYMin = 5 };

}  // namespace

ThresholdSettingDialog::ThresholdSettingDialog(Settings* settings, QWidget* parent)
    : QDialog(parent), _settings(settings), _xElectrodes(0), _yElectrodes(0) {
    ui.setupUi(this);
    connect(ui.import_pushButton, &QPushButton::clicked, this,
            &ThresholdSettingDialog::importThresholdValues);
    connect(ui.save_pushButton, &QPushButton::clicked, this,
            &ThresholdSettingDialog::changeThresholdValues);
    _xElectrodes = ThresholdTable::ElectrodeCount(*_settings, "x_electrodes");
    _yElectrodes = ThresholdTable::ElectrodeCount(*_settings, "y_electrodes");
    LayOutTable();
    loadThresholdValues();
    showThresholdValues();
}

ThresholdSettingDialog::~ThresholdSettingDialog() = default;

void ThresholdSettingDialog::LayOutTable() {
    QTableWidget* table = ui.rawdata_tableWidget;
    table->setRowCount(6);
    table->setColumnCount(std::max(_xElectrodes, _yElectrodes));
    table->setVerticalHeaderLabels(
        {tr("XChannels"), tr("Max"), tr("Min"), tr("YChannels"), tr("Max"), tr("Min")});
    for (int c = 0; c < _xElectrodes; ++c) {
        table->setItem(kXLabels, c, ThresholdTableForm::FixedItem(QStringLiteral("X%1").arg(c)));
    }
    for (int c = 0; c < _yElectrodes; ++c) {
        table->setItem(kYLabels, c, ThresholdTableForm::FixedItem(QStringLiteral("Y%1").arg(c)));
    }
}

void ThresholdSettingDialog::loadThresholdValues() {
    _thresholds = ThresholdTable::Load(*_settings, _xElectrodes, _yElectrodes);
}

std::vector<std::vector<int> > ThresholdSettingDialog::getThresholdValues() const {
    return _thresholds;
}

bool ThresholdSettingDialog::readFromFile(QString file) {
    return ThresholdTable::ReadFile(file, _xElectrodes, _yElectrodes, _thresholds);
}

void ThresholdSettingDialog::SetCell(int row, int column, int value) {
    ui.rawdata_tableWidget->setItem(row, column, new QTableWidgetItem(QString::number(value)));
}

void ThresholdSettingDialog::showThresholdValues() {
    for (int c = 0; c < _xElectrodes; ++c) {
        SetCell(kXMax, c, _thresholds[0][c]);
        SetCell(kXMin, c, _thresholds[1][c]);
    }
    for (int c = 0; c < _yElectrodes; ++c) {
        SetCell(kYMax, c, _thresholds[2][c]);
        SetCell(kYMin, c, _thresholds[3][c]);
    }
    ui.rawdata_tableWidget->resizeColumnsToContents();
    ui.rawdata_tableWidget->resizeRowsToContents();
}

bool ThresholdSettingDialog::saveThresholdValues() {
    return ThresholdTableForm::Save(this, ThresholdTable::FileName(_xElectrodes, _yElectrodes),
                                    _thresholds);
}

std::vector<int> ThresholdSettingDialog::CellRow(int tableRow, int count) const {
    return ThresholdTableForm::CellRow(ui.rawdata_tableWidget, tableRow, 0, count);
}

void ThresholdSettingDialog::changeThresholdValues() {
    _thresholds = {CellRow(kXMax, _xElectrodes), CellRow(kXMin, _xElectrodes),
                   CellRow(kYMax, _yElectrodes), CellRow(kYMin, _yElectrodes)};
    if (saveThresholdValues()) {
        accept();
    }
}

void ThresholdSettingDialog::importThresholdValues() {
    const QString file = ThresholdTableForm::AskImportFile(this);
    if (file.isEmpty()) {
        return;
    }
    if (!readFromFile(file)) {
        QMessageBox::warning(this, tr("Import Error"),
                             tr("%1 is not a threshold table for %2 X and %3 Y channels.")
                                 .arg(file)
                                 .arg(_xElectrodes)
                                 .arg(_yElectrodes));
        return;
    }
    showThresholdValues();
    saveThresholdValues();
}
