#include "ZeltorThresholdSettingDialog.h"

#include <algorithm>

#include <QMessageBox>
#include <QTableWidgetItem>

#include "ProgramPaths.h"
#include "Settings.h"
#include "ThresholdTable.h"
#include "ThresholdTableForm.h"

namespace {

constexpr int kRowsPerAxis = 3;  // base, fluctuation, shift
constexpr int kXHeaderRow = 0;
constexpr int kYHeaderRow = 4;
constexpr int kAllColumn = 0;
constexpr const char* kFileNameKey = "threshold_filename";

constexpr int kDefaultBase = 0;
constexpr int kDefaultFluctuation = 30;
constexpr int kDefaultShift = 30;

bool IsAllChannelsRow(int row) {
    return row == 2 || row == 3 || row == 6 || row == 7;
}

}  // namespace

ZeltorThresholdSettingDialog::ZeltorThresholdSettingDialog(Settings* settings, QWidget* parent)
    : QDialog(parent), _settings(settings), _xElectrodes(0), _yElectrodes(0) {
    ui.setupUi(this);
    connect(ui.import_pushButton, &QPushButton::clicked, this,
            &ZeltorThresholdSettingDialog::importThresholdValues);
    connect(ui.save_pushButton, &QPushButton::clicked, this,
            &ZeltorThresholdSettingDialog::changeThresholdValues);
    ConfigParameter fileName;
    if (_settings->GetParameter(kFileNameKey, fileName)) {
        _fileName = fileName.GetValue();
    }
    _xElectrodes = ThresholdTable::ElectrodeCount(*_settings, "x_electrodes");
    _yElectrodes = ThresholdTable::ElectrodeCount(*_settings, "y_electrodes");
    LayOutTable();
    loadThresholdValues();
    showThresholdValues();
    connect(ui.rawdata_tableWidget, &QTableWidget::cellChanged, this,
            &ZeltorThresholdSettingDialog::changeContent);
}

ZeltorThresholdSettingDialog::~ZeltorThresholdSettingDialog() = default;

void ZeltorThresholdSettingDialog::LayOutTable() {
    QTableWidget* table = ui.rawdata_tableWidget;
    const auto fixed = &ThresholdTableForm::FixedItem;
    table->setRowCount(8);
    table->setColumnCount(std::max(_xElectrodes, _yElectrodes) + 1);
    table->setVerticalHeaderLabels({tr("XChannels"), tr("Base"), tr("Fluctuation"), tr("Shift"),
                                    tr("YChannels"), tr("Base"), tr("Fluctuation"), tr("Shift")});
    table->setItem(kXHeaderRow, kAllColumn, fixed(tr("All")));
    table->setItem(kXHeaderRow + 1, kAllColumn, fixed(QString()));
    table->setItem(kYHeaderRow, kAllColumn, fixed(tr("All")));
    table->setItem(kYHeaderRow + 1, kAllColumn, fixed(QString()));
    for (int c = 0; c < _xElectrodes; ++c) {
        table->setItem(kXHeaderRow, c + 1, fixed(QStringLiteral("X%1").arg(c)));
    }
    for (int c = 0; c < _yElectrodes; ++c) {
        table->setItem(kYHeaderRow, c + 1, fixed(QStringLiteral("Y%1").arg(c)));
    }
}

std::vector<int> ZeltorThresholdSettingDialog::RowLengths() const {
    return {_xElectrodes, _xElectrodes, _xElectrodes, _yElectrodes, _yElectrodes, _yElectrodes};
}

std::vector<std::vector<int> > ZeltorThresholdSettingDialog::Defaults() const {
    int values[kRowsPerAxis] = {kDefaultBase, kDefaultFluctuation, kDefaultShift};
    ThresholdTable::IntegerSetting(*_settings, "rawdata_base", values[0]);
    ThresholdTable::IntegerSetting(*_settings, "rawdata_fluctuation", values[1]);
    ThresholdTable::IntegerSetting(*_settings, "rawdata_offset", values[2]);
    std::vector<std::vector<int> > table;
    for (int count : {_xElectrodes, _yElectrodes}) {
        for (int value : values) {
            table.emplace_back(count, value);
        }
    }
    return table;
}

// The setting as it stands now; an empty one means the electrode-count name,
// as for saving, so load and save always meet in the same file.
QString ZeltorThresholdSettingDialog::LoadFileName() const {
    ConfigParameter fileName;
    if (_settings->GetParameter(kFileNameKey, fileName) && !fileName.GetValue().empty()) {
        return platform::ProgramFilePath(QString::fromLocal8Bit(fileName.GetValue().c_str()));
    }
    return ThresholdTable::FileName(_xElectrodes, _yElectrodes);
}

QString ZeltorThresholdSettingDialog::SaveFileName() const {
    if (_fileName.empty()) {
        return ThresholdTable::FileName(_xElectrodes, _yElectrodes);
    }
    return platform::ProgramFilePath(QString::fromLocal8Bit(_fileName.c_str()));
}

void ZeltorThresholdSettingDialog::loadThresholdValues() {
    if (!ThresholdTable::ReadStoredRows(LoadFileName(), RowLengths(), _thresholds)) {
        _thresholds = Defaults();
    }
}

bool ZeltorThresholdSettingDialog::readFromFile(QString file) {
    return ThresholdTable::ReadRows(file, RowLengths(), _thresholds);
}

void ZeltorThresholdSettingDialog::showThresholdValues() {
    QTableWidget* table = ui.rawdata_tableWidget;
    for (int row = 0; row < static_cast<int>(_thresholds.size()); ++row) {
        // Rows 0-2 go below the X header, rows 3-5 below the Y header.
        const int tableRow = row < kRowsPerAxis ? row + 1 : row + 2;
        for (size_t c = 0; c < _thresholds[row].size(); ++c) {
            table->setItem(tableRow, static_cast<int>(c) + 1,
                           new QTableWidgetItem(QString::number(_thresholds[row][c])));
        }
    }
    table->resizeColumnsToContents();
    table->resizeRowsToContents();
}

bool ZeltorThresholdSettingDialog::saveThresholdValues() {
    return ThresholdTableForm::Save(this, SaveFileName(), _thresholds);
}

// Column 0 is the all-channels column.
std::vector<int> ZeltorThresholdSettingDialog::CellRow(int tableRow, int count) const {
    return ThresholdTableForm::CellRow(ui.rawdata_tableWidget, tableRow, 1, count);
}

void ZeltorThresholdSettingDialog::changeThresholdValues() {
    _thresholds = {CellRow(1, _xElectrodes), CellRow(2, _xElectrodes), CellRow(3, _xElectrodes),
                   CellRow(5, _yElectrodes), CellRow(6, _yElectrodes), CellRow(7, _yElectrodes)};
    if (saveThresholdValues()) {
        accept();
    }
}

void ZeltorThresholdSettingDialog::changeContent(int row, int col) {
    if (col != kAllColumn || !IsAllChannelsRow(row)) {
        return;
    }
    QTableWidget* table = ui.rawdata_tableWidget;
    const QTableWidgetItem* all = table->item(row, kAllColumn);
    const QString text = all == nullptr ? QString() : all->text();
    const int count = row < kYHeaderRow ? _xElectrodes : _yElectrodes;
    for (int c = 1; c <= count; ++c) {
        if (QTableWidgetItem* item = table->item(row, c)) {
            item->setText(text);
        } else {
            table->setItem(row, c, new QTableWidgetItem(text));
        }
    }
}

void ZeltorThresholdSettingDialog::importThresholdValues() {
    const QString file = ThresholdTableForm::AskImportFile(this);
    if (file.isEmpty()) {
        return;
    }
    // The table's file takes the chosen name in the program's directory.
    _fileName = file.split(QLatin1Char('/')).last().toLocal8Bit().toStdString();
    _settings->SetParameter(ConfigParameter(kFileNameKey, _fileName));
    if (!readFromFile(file)) {
        QMessageBox::warning(this, tr("Import Error"),
                             tr("%1 is not a threshold table of base, fluctuation and shift for "
                                "%2 X and %3 Y channels.")
                                 .arg(file)
                                 .arg(_xElectrodes)
                                 .arg(_yElectrodes));
        return;
    }
    showThresholdValues();
    saveThresholdValues();
}
