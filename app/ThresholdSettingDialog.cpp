#include "ThresholdSettingDialog.h"

#include <algorithm>

#include <QFileDialog>
#include <QMessageBox>
#include <QTableWidgetItem>

#include "Settings.h"
#include "ThresholdTable.h"

namespace {

enum TableRow { kXLabels = 0, kXMax = 1, kXMin = 2, kYLabels = 3, kYMax = 4, kYMin = 5 };

// A channel label: shown greyed, neither selectable nor editable.
QTableWidgetItem* LabelItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEditable);
    return item;
}

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
        table->setItem(kXLabels, c, LabelItem(QStringLiteral("X%1").arg(c)));
    }
    for (int c = 0; c < _yElectrodes; ++c) {
        table->setItem(kYLabels, c, LabelItem(QStringLiteral("Y%1").arg(c)));
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
    const QString file = ThresholdTable::FileName(_xElectrodes, _yElectrodes);
    if (ThresholdTable::WriteFile(file, _thresholds)) {
        return true;
    }
    // The edited limits exist nowhere else: say so rather than pretend they were kept.
    QMessageBox::warning(this, tr("Save Error"),
                         tr("The threshold file %1 cannot be written.").arg(file));
    return false;
}

// A cell that is not a whole decimal number counts as 0.
std::vector<int> ThresholdSettingDialog::CellRow(int tableRow, int count) const {
    std::vector<int> row;
    row.reserve(count);
    for (int c = 0; c < count; ++c) {
        const QTableWidgetItem* item = ui.rawdata_tableWidget->item(tableRow, c);
        row.push_back(item == nullptr ? 0 : item->text().toInt(nullptr, 10));
    }
    return row;
}

void ThresholdSettingDialog::changeThresholdValues() {
    _thresholds = {CellRow(kXMax, _xElectrodes), CellRow(kXMin, _xElectrodes),
                   CellRow(kYMax, _yElectrodes), CellRow(kYMin, _yElectrodes)};
    if (saveThresholdValues()) {
        accept();
    }
}

void ThresholdSettingDialog::importThresholdValues() {
    const QString file = QFileDialog::getOpenFileName(this, tr("Select"), QStringLiteral("."),
                                                      tr("Text files (*.txt)"));
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
