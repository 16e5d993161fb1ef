#include "SettingDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QListWidgetItem>
#include <QMessageBox>
#include <QSpinBox>
#include <memory>

#include "OperationLog.h"
#include "ProgramPaths.h"
#include "Settings.h"
#include "StringConvert.h"

namespace {

constexpr int kMostButtons = 8;
constexpr int kTrueIndex = 1;
// List items that have a page but no switch of their own.
constexpr int kSingleRawRow = 5;
constexpr int kButtonSingleRawRow = 13;

}  // namespace

SettingDialog::SettingDialog(Settings* settings, QWidget* parent)
    : QDialog(parent), _settings(settings) {
    ui.setupUi(this);
    connect(ui.listWidget, &QListWidget::currentRowChanged, ui.stackedWidget,
            &QStackedWidget::setCurrentIndex);
    LoadSettings();
    HideUnusedRows();
}

SettingDialog::~SettingDialog() = default;

bool SettingDialog::EditDefaults(Settings* settings, QWidget* parent) {
    LOG4CPLUS_INFO(OperationLogger(), "Default settings start");
    const auto dialog = std::make_unique<SettingDialog>(settings, parent);
    if (dialog->exec() != QDialog::Accepted) {
        LOG4CPLUS_INFO(OperationLogger(), "Default settings cancel");
        return false;
    }
    LOG4CPLUS_INFO(OperationLogger(), "Default settings accept");
    return true;
}

std::vector<SettingDialog::Binding> SettingDialog::Bindings() {
    return {
        {"x_res", Rule::Resolution, ui.xResSpinBox},
        {"y_res", Rule::Resolution, ui.yResSpinBox},
        {"x_reverse", Rule::Combo, ui.comboXReverse},
        {"y_reverse", Rule::Combo, ui.comboYReverse},
        {"MasterVersion", Rule::Edit, ui.master_lineEdit},
        {"SlaveVersion", Rule::Edit, ui.slave_lineEdit},
        {"Debug_time", Rule::Spin, ui.debugTime_spinBox},
        {"Jitter_time", Rule::Spin, ui.jitterTime_spinBox},
        {"jitter_x_threshold", Rule::Double, ui.jitter_x_threshold_spinner},
        {"jitter_y_threshold", Rule::Double, ui.jitter_y_threshold_spinner},
        {"disconnect_test_period", Rule::Spin, ui.disconnection_time_spinner},
        {"Attb_time", Rule::Spin, ui.attb_time_spinner},
        {"rawdata_max", Rule::Spin, ui.rawdataMax_spinBox},
        {"rawdata_min", Rule::Spin, ui.rawdataMin_spinBox},
        {"raster_x_max", Rule::Spin, ui.rasterXMax_spinBox},
        {"raster_x_min", Rule::Spin, ui.rasterXMin_spinBox},
        {"raster_x_edge_max", Rule::Spin, ui.rasterEdgeXMax_spinBox},
        {"raster_x_edge_min", Rule::Spin, ui.rasterEdgeXMin_spinBox},
        {"raster_y_max", Rule::Spin, ui.rasterYMax_spinBox},
        {"raster_y_min", Rule::Spin, ui.rasterYMin_spinBox},
        {"raster_y_edge_max", Rule::Spin, ui.rasterEdgeYMax_spinBox},
        {"raster_y_edge_min", Rule::Spin, ui.rasterEdgeYMin_spinBox},
        {"Raster_x_time", Rule::Spin, ui.rasterXTime_spinBox},
        {"Raster_y_time", Rule::Spin, ui.rasterYTime_spinBox},
        {"button_number", Rule::Spin, ui.buttonNumber_spinBox},
        {"line_width", Rule::Spin, ui.lineWidth_spinBox},
        {"Linearity_time", Rule::Spin, ui.linearityTime_spinBox},
        {"border_width", Rule::Spin, ui.borderWidth_spinBox},
        {"Border_time", Rule::Spin, ui.borderTime_spinBox},
        {"circle_radius", Rule::Spin, ui.circleRadius_spinBox},
        {"Precise_time", Rule::Spin, ui.preciseTime_spinBox},
        {"Button_normal_time", Rule::Spin, ui.buttonNormalTime_spinBox},
        {"b_rawdata_max", Rule::Spin, ui.buttonRawdataMax_spinBox},
        {"b_rawdata_min", Rule::Spin, ui.buttonRawdataMin_spinBox},
        {"Button_rawdata_time", Rule::Spin, ui.buttonRawdataTime_spinBox},
        {"Reset_time", Rule::Spin, ui.reset_time_spinner},
        {"ModeSwitch/normal_mode", Rule::Switch, nullptr, 0},
        {"ModeSwitch/debug_mode", Rule::Switch, nullptr, 1},
        {"ModeSwitch/attb_mode", Rule::Switch, nullptr, 2},
        {"ModeSwitch/raster_x_mode", Rule::Switch, nullptr, 3},
        {"ModeSwitch/raster_y_mode", Rule::Switch, nullptr, 4},
        {"ModeSwitch/linearity_mode", Rule::Switch, nullptr, 6},
        {"ModeSwitch/border_mode", Rule::Switch, nullptr, 7},
        {"ModeSwitch/precise_mode", Rule::Switch, nullptr, 8},
        {"ModeSwitch/jitter_mode", Rule::Switch, nullptr, 9},
        {"ModeSwitch/reset_mode", Rule::Switch, nullptr, 10},
        {"ModeSwitch/b_normal_mode", Rule::Switch, nullptr, 11},
        {"ModeSwitch/b_debug_mode", Rule::Switch, nullptr, 12},
        {"ModeSwitch/disconnection_test", Rule::Switch, ui.disconnectCheckBox},
    };
}

// A key the store lacks leaves its widget at the form's initial value.
void SettingDialog::LoadSettings() {
    ConfigParameter parameter;
    for (const Binding& binding : Bindings()) {
        if (_settings->GetParameter(binding.key, parameter)) {
            LoadValue(binding, parameter.GetValue());
        }
    }
}

void SettingDialog::LoadValue(const Binding& binding, const std::string& text) {
    switch (binding.rule) {
        case Rule::Spin:
            if (binding.widget == ui.buttonNumber_spinBox) {
                LoadButtonNumber(text);
            } else {
                static_cast<QSpinBox*>(binding.widget)->setValue(StringToInt(text));
            }
            break;
        case Rule::Resolution:
            // One whole decimal number or nothing: anything else reads 0.
            if (!text.empty()) {
                static_cast<QSpinBox*>(binding.widget)
                    ->setValue(QString::fromLocal8Bit(text.c_str()).toInt(nullptr, 10));
            }
            break;
        case Rule::Double:
            static_cast<QDoubleSpinBox*>(binding.widget)->setValue(StringToDouble(text));
            break;
        case Rule::Combo:
            if (text == "True") {
                static_cast<QComboBox*>(binding.widget)->setCurrentIndex(kTrueIndex);
            }
            break;
        case Rule::Edit:
            if (!text.empty()) {
                static_cast<QLineEdit*>(binding.widget)
                    ->setText(QString::fromLocal8Bit(text.c_str()));
            }
            break;
        case Rule::Switch:
            SetSwitch(binding, StringToInt(text) != 0);
            break;
    }
}

// More buttons than the panel can have are cut in the store at once, so the
// main window's button test never asks for more either.
void SettingDialog::LoadButtonNumber(const std::string& text) {
    int buttons = StringToInt(text);
    if (buttons > kMostButtons) {
        buttons = kMostButtons;
        _settings->SetParameter(ConfigParameter("button_number", std::to_string(kMostButtons)));
    }
    ui.buttonNumber_spinBox->setValue(buttons);
}

void SettingDialog::SetSwitch(const Binding& binding, bool on) {
    if (binding.listRow >= 0) {
        ui.listWidget->item(binding.listRow)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    } else {
        static_cast<QCheckBox*>(binding.widget)->setChecked(on);
    }
}

bool SettingDialog::SwitchIsOn(const Binding& binding) const {
    if (binding.listRow >= 0) {
        return ui.listWidget->item(binding.listRow)->checkState() == Qt::Checked;
    }
    return static_cast<const QCheckBox*>(binding.widget)->isChecked();
}

// Numbers as plain decimals with a point, whatever the system's locale.
QString SettingDialog::WidgetText(const Binding& binding) const {
    switch (binding.rule) {
        case Rule::Spin:
        case Rule::Resolution:
            return QString::number(static_cast<const QSpinBox*>(binding.widget)->value());
        case Rule::Double:
            return QString::number(static_cast<const QDoubleSpinBox*>(binding.widget)->value(), 'f',
                                   2);
        case Rule::Combo:
            return static_cast<const QComboBox*>(binding.widget)->currentText();
        case Rule::Edit:
            return static_cast<const QLineEdit*>(binding.widget)->text();
        case Rule::Switch:
            return SwitchIsOn(binding) ? QStringLiteral("1") : QStringLiteral("0");
    }
    return QString();
}

void SettingDialog::HideUnusedRows() {
    ui.listWidget->item(kSingleRawRow)->setHidden(true);
    ui.listWidget->item(kButtonSingleRawRow)->setHidden(true);
    for (QWidget* unused : {static_cast<QWidget*>(ui.rawdataBase_spinBox),
                            static_cast<QWidget*>(ui.rawdataFluctuation_spinBox),
                            static_cast<QWidget*>(ui.rawdataOffset_spinBox),
                            static_cast<QWidget*>(ui.rawdataBase_label),
                            static_cast<QWidget*>(ui.rawdataFluctuation_label),
                            static_cast<QWidget*>(ui.rawdataOffset_label)}) {
        unused->hide();
    }
}

void SettingDialog::accept() {
    for (const Binding& binding : Bindings()) {
        const std::string text = WidgetText(binding).toLocal8Bit().toStdString();
        _settings->SetParameter(ConfigParameter(binding.key, text));
    }
    const QString file = platform::ConfigFilePath();
    if (!_settings->Save(file.toLocal8Bit().constData())) {
        // The store holds the changes; the dialog stays open so the operator
        // can free the file and press Set again, or cancel knowingly.
        LOG4CPLUS_WARN(OperationLogger(), "Settings not saved: " << file.toStdString());
        QMessageBox::critical(this, QStringLiteral("Save Error"),
                              QStringLiteral("The settings could not be saved to %1.").arg(file));
        return;
    }
    QDialog::accept();
}

void SettingDialog::VerifyPwd() {}
