#include "OpenShort.h"

#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableWidget>
#include <QToolBar>
#include <algorithm>

#include "CloseState.h"
#include "DeleteAndClear.h"
#include "DisplayView.h"
#include "LineDispatch.h"
#include "OperationLog.h"
#include "OverflowIndicator.h"
#include "PortToolBar.h"
#include "PortWatch.h"
#include "ProgramPaths.h"
#include "QtWindowImp.h"
#include "Settings.h"
#include "State.h"
#include "StatusCaption.h"
#include "WidgetHolder.h"
#include "ZeltoR_Device.h"

namespace {

constexpr int kCellWidth = 50;
const char* const kBitRate = "230400";
const char* const kThresholdKey = "open_threshold";
const Qt::Alignment kCellAlignment = Qt::AlignHCenter | Qt::AlignTop;

QTableWidgetItem* CentredItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(kCellAlignment);
    return item;
}

}  // namespace

OpenShort::OpenShort(QWidget* parent) : QMainWindow(parent) {
    ui.setupUi(this);
    CreateDevice();
    CreateToolWidgets();
    CreateStatusBar();
    ConnectSignals();
    _portWatch = new morvex_gui_qtlib::PortWatch(_portBar, _device, this);
    connect(_portWatch, &morvex_gui_qtlib::PortWatch::OpenPortLost, this, &OpenShort::LosePort);
    showMaximized();
    ui.menu_Help->menuAction()->setVisible(false);
}

OpenShort::~OpenShort() {
    _link.SetPort(nullptr);
    _settings->Save(SettingsFile().toLocal8Bit().constData());
    // Closing the program leaves the bridge as it is: no quit command.
    _device->close();
    morvex_gui_qtlib::DeleteAndClear(_device);
    morvex_gui_qtlib::DeleteAndClear(_windowImp);
    morvex_gui_qtlib::DeleteAndClear(_widgets);
    _state.reset();
}

QString OpenShort::SettingsFile() {
    return platform::ProgramFilePath(QStringLiteral("openshort.ini"));
}

void OpenShort::CreateDevice() {
    _widgets = new morvex_gui_qtlib::WidgetHolder;
    _view = _widgets->AddView(this, ui.verticalLayout_2);
    _widgets->_openTable = ui.table_x_rawdata;
    _widgets->_shortTable = ui.table_y_rawdata;
    _windowImp = new morvex_gui_qtlib::QtWindowImp(_widgets);
    // The idle state gets the GUI interface too: a line it matched without
    // one would have nowhere to go.
    _state.reset(new morvex_gui::CloseState(_windowImp));
    _settings = &_windowImp->_settings;
    _settings->Load(SettingsFile().toLocal8Bit().constData());
    _device = new morvex_gui::ZeltoR_Device(_windowImp, &_state);
    _link.SetPort(_device);
    _link.Attach();
}

void OpenShort::CreateToolWidgets() {
    _portBar =
        new morvex_gui_qtlib::PortToolBar(ui.mainToolBar, ui.actionOpen_Close_Device, {}, this);
    ui.mainToolBar->addSeparator();
    _thresholdLabel = new QLabel(QStringLiteral("Threshold:"), this);
    ui.mainToolBar->addWidget(_thresholdLabel);
    _thresholdBox = new QSpinBox(this);
    _thresholdBox->setObjectName(QStringLiteral("thresholdBox"));
    ui.mainToolBar->addWidget(_thresholdBox);
    _thresholdBox->setRange(kMinimumThreshold, kMaximumThreshold);
    _thresholdBox->setValue(StartThreshold());
    // Connected only now, so the start value is not written back.
    connect(_thresholdBox, qOverload<int>(&QSpinBox::valueChanged), this, &OpenShort::SetThreshold);
}

int OpenShort::StartThreshold() const {
    ConfigParameter stored;
    if (!_settings->GetParameter(kThresholdKey, stored)) {
        return kDefaultThreshold;
    }
    bool ok = false;
    const qlonglong value =
        QString::fromLocal8Bit(stored.GetValue().c_str()).trimmed().toLongLong(&ok);
    if (!ok) {
        LOG4CPLUS_WARN(OperationLogger(), "openshort.ini: " << kThresholdKey << " \""
                                                            << stored.GetValue()
                                                            << "\" is not a whole number; using "
                                                            << kDefaultThreshold);
        return kDefaultThreshold;
    }
    return static_cast<int>(std::clamp<qlonglong>(value, kMinimumThreshold, kMaximumThreshold));
}

void OpenShort::CreateStatusBar() {
    ui.statusBar->addWidget(new QLabel(QStringLiteral("Ready"), this), 1);
    _labelX = morvex_gui_qtlib::AddStatusLabel(ui.statusBar, this, QStringLiteral("X-Ch.: "));
    _labelY = morvex_gui_qtlib::AddStatusLabel(ui.statusBar, this, QStringLiteral("Y-Ch.: "));
    _overflowButton = new morvex_gui_qtlib::OverflowIndicator(this);
    _link.SetIndicator(_overflowButton);
    ui.statusBar->addWidget(_overflowButton);
    connect(_overflowButton, &QPushButton::clicked, _overflowButton,
            &morvex_gui_qtlib::OverflowIndicator::Clear);
}

void OpenShort::ConnectSignals() {
    using morvex_gui_qtlib::QtWindowImp;
    connect(_windowImp, &QtWindowImp::SignalElectrodesY, this, &OpenShort::DisplayElectrodesY);
    connect(_windowImp, &QtWindowImp::SignalElectrodesX, this, &OpenShort::DisplayElectrodesX);
    connect(_windowImp, &QtWindowImp::SignalStartOpenShort, this, &OpenShort::StartOpenShort);
    connect(ui.actionOpen_Close_Device, &QAction::triggered, this, &OpenShort::SwitchPort);
}

void OpenShort::SwitchPort(bool checked) {
    if (checked) {
        OpenPort();
    } else {
        ClosePort();
    }
}

void OpenShort::OpenPort() {
    // A half line left from an earlier session must not join the first reply.
    _link.DropPending();
    if (_device->Open(_portBar->PortName(), QString::fromLatin1(kBitRate))) {
        ui.actionOpen_Close_Device->setChecked(true);
        return;
    }
    ui.actionOpen_Close_Device->setChecked(false);
    QMessageBox::critical(this, tr("Open Error"), tr("Open SerialPort Fail!"), QMessageBox::Ok,
                          QMessageBox::NoButton);
}

void OpenShort::ClosePort() {
    ui.actionOpen_Close_Device->setChecked(false);
    if (_device->isOpen()) {
        _device->Close();
    }
    _windowImp->StartCommon();
    _windowImp->ClearAll();
    EmptyTable(ui.table_x_rawdata);
    EmptyTable(ui.table_y_rawdata);
}

void OpenShort::EmptyTable(QTableWidget* table) {
    table->clear();
    table->setRowCount(0);
    table->setColumnCount(0);
}

void OpenShort::ReadSerialPort() {
    if (_link.Read()) {
        morvex_gui::DispatchLines(_link.Lines(), _state);
    }
}

void OpenShort::DisplayElectrodesX(const char* text) {
    morvex_gui_qtlib::ShowStatusReading(_labelX, QStringLiteral("X-Ch.: "), text);
}

void OpenShort::DisplayElectrodesY(const char* text) {
    morvex_gui_qtlib::ShowStatusReading(_labelY, QStringLiteral("Y-Ch.: "), text);
    _device->EnterOpenShortState();
}

void OpenShort::StartOpenShort(int x, int y) {
    FillTable(ui.table_x_rawdata, y, x - 1);
    FillTable(ui.table_y_rawdata, y - 1, x);
}

void OpenShort::FillTable(QTableWidget* table, int rows, int columns) {
    rows = std::max(0, rows);
    columns = std::max(0, columns);
    table->setRowCount(rows);
    table->setColumnCount(columns);
    for (int c = 0; c < columns; ++c) {
        table->setColumnWidth(c, kCellWidth);
    }
    const QString zero = QStringLiteral("0");
    for (int r = 0; r < rows; ++r) {
        table->setVerticalHeaderItem(r, CentredItem(QString::number(r + 1)));
        for (int c = 0; c < columns; ++c) {
            table->setItem(r, c, CentredItem(zero));
        }
    }
}

void OpenShort::SetThreshold(int value) {
    _settings->SetParameter(ConfigParameter(kThresholdKey, std::to_string(value)));
}

void OpenShort::DeviceArrival() {
    _portWatch->Arrival();
}

void OpenShort::DeviceRemoval() {
    _portWatch->Removal();
}

void OpenShort::LosePort() {
    SwitchPort(false);
    QMessageBox::warning(this, tr("Missing Connection..."),
                         tr("The device maybe disconnect from the PC, please check it and retry."),
                         QMessageBox::Ok);
}
