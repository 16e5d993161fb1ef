#include "OpenShort.h"

#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableWidget>
#include <QToolBar>
#include <algorithm>
#include <cstring>
#include <limits>

#include "CloseState.h"
#include "DeviceWatcher.h"
#include "DisplayView.h"
#include "LineSplitter.h"
#include "OperationLog.h"
#include "ProgramPaths.h"
#include "QtWindowImp.h"
#include "Settings.h"
#include "State.h"
#include "WidgetHolder.h"
#include "ZeltoR_Device.h"

namespace {

constexpr int kPortBoxMinimumWidth = 70;
constexpr int kCellWidth = 50;
const char* const kBitRate = "230400";
const char* const kThresholdKey = "open_threshold";
const Qt::Alignment kCellAlignment = Qt::AlignHCenter | Qt::AlignTop;

QString ChannelText(const char* caption, const char* count) {
    return QStringLiteral("<FONT COLOR=green>%1</FONT><FONT COLOR=steelblue>%2</FONT>")
        .arg(QLatin1String(caption), QString::fromLocal8Bit(count));
}

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
    _deviceWatcher = new platform::DeviceWatcher(this);
    connect(_deviceWatcher, &platform::DeviceWatcher::SignalDeviceArrival, this,
            &OpenShort::DeviceArrival);
    connect(_deviceWatcher, &platform::DeviceWatcher::SignalDeviceRemoval, this,
            &OpenShort::DeviceRemoval);
    showMaximized();
    ui.menu_Help->menuAction()->setVisible(false);
}

OpenShort::~OpenShort() {
    disconnect(_device, &QIODevice::readyRead, this, &OpenShort::ReadSerialPort);
    _settings->Save(SettingsFile().toLocal8Bit().constData());
    // Closing the program leaves the bridge as it is: no quit command.
    _device->close();
    delete _device;
    _device = nullptr;
    delete _windowImp;
    _windowImp = nullptr;
    delete _widgets;
    _widgets = nullptr;
    _state.reset();
}

QString OpenShort::SettingsFile() {
    return platform::ProgramFilePath(QStringLiteral("openshort.ini"));
}

void OpenShort::CreateDevice() {
    _widgets = new morvex_gui_qtlib::WidgetHolder;
    _view = new morvex_gui_qtlib::DisplayView(this);
    ui.verticalLayout_2->addWidget(_view);
    _view->show();
    _widgets->SetView(_view);
    _widgets->_openTable = ui.table_x_rawdata;
    _widgets->_shortTable = ui.table_y_rawdata;
    _windowImp = new morvex_gui_qtlib::QtWindowImp(_widgets);
    // The idle state gets the GUI interface too: a line it matched without
    // one would have nowhere to go.
    _state.reset(new morvex_gui::CloseState(_windowImp));
    _settings = &_windowImp->_settings;
    _settings->Load(SettingsFile().toLocal8Bit().constData());
    _device = new morvex_gui::ZeltoR_Device(_windowImp, &_state);
    connect(_device, &QIODevice::readyRead, this, &OpenShort::ReadSerialPort);
}

void OpenShort::CreateToolWidgets() {
    _portBox = new QComboBox(this);
    _portBox->setMinimumWidth(kPortBoxMinimumWidth);
    ui.mainToolBar->addWidget(_portBox);
    ui.mainToolBar->addAction(ui.actionOpen_Close_Device);
    ui.mainToolBar->addSeparator();
    _thresholdLabel = new QLabel(QStringLiteral("Threshold:"), this);
    ui.mainToolBar->addWidget(_thresholdLabel);
    _thresholdBox = new QSpinBox(this);
    ui.mainToolBar->addWidget(_thresholdBox);
    _thresholdBox->setRange(kMinimumThreshold, kMaximumThreshold);
    _thresholdBox->setValue(StartThreshold());
    // Connected only now, so the start value is not written back.
    connect(_thresholdBox, qOverload<int>(&QSpinBox::valueChanged), this, &OpenShort::SetThreshold);
    RefreshPortList();
    if (_portBox->count() == 0) {
        ui.actionOpen_Close_Device->setEnabled(false);
    }
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
    _labelX = new QLabel(ChannelText("X-Ch.: ", " "), this);
    ui.statusBar->addWidget(_labelX, 0);
    _labelY = new QLabel(ChannelText("Y-Ch.: ", " "), this);
    ui.statusBar->addWidget(_labelY, 0);
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
    _pendingLength = 0;
    if (_device->Open(_portBox->currentText(), QString::fromLatin1(kBitRate))) {
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
    if (ReadPort()) {
        ParseLines();
    }
}

bool OpenShort::ReadPort() {
    const qint64 available = _device->bytesAvailable();
    _bytesAvailable =
        static_cast<int>(std::min<qint64>(available, std::numeric_limits<int>::max()));
    if (_bytesAvailable <= 0) {
        return false;
    }
    const qint64 read = _device->read(_readBuffer, kBufferSize);
    _lines.clear();
    if (read <= 0) {
        return false;
    }
    const int count = static_cast<int>(read);
    if (count >= kOverflowRead) {
        // The GUI fell behind: the half line and this read are dropped.
        _pendingLength = 0;
        return false;
    }
    if (count > kBufferSize - _pendingLength) {
        // Text without a line end for longer than the buffer holds: the
        // unfinished line cannot be kept whole, so it goes with this read.
        LOG4CPLUS_WARN(OperationLogger(), "Open/short: " << _pendingLength + count
                                                         << " bytes without a line end dropped");
        _pendingLength = 0;
        return false;
    }
    std::memcpy(_pendingBuffer + _pendingLength, _readBuffer, static_cast<size_t>(count));
    _pendingLength += count;
    SplitLines(_pendingBuffer, &_pendingLength, &_lines);
    return true;
}

void OpenShort::ParseLines() {
    // A line may switch the mode (a Y electrode report starts the test): the
    // state parsing it stays alive through the local reference and the next
    // line goes to the new state. The lines are walked in a local list, so a
    // nested read cannot pull them from under the loop.
    std::vector<std::string> lines;
    lines.swap(_lines);
    for (const std::string& line : lines) {
        const boost::shared_ptr<morvex_gui::State> state = _state;
        if (state) {
            state->Parse(line.c_str());
        }
    }
}

void OpenShort::DisplayElectrodesX(const char* text) {
    _labelX->setText(ChannelText("X-Ch.: ", text));
}

void OpenShort::DisplayElectrodesY(const char* text) {
    _labelY->setText(ChannelText("Y-Ch.: ", text));
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

void OpenShort::RefreshPortList() {
    _portBox->clear();
    QStringList ports;
    ::EnumeratePorts(&ports);
    _portBox->addItems(ports);
}

void OpenShort::DeviceArrival() {
    RefreshPortList();
    if (_portBox->count() > 0) {
        ui.actionOpen_Close_Device->setEnabled(true);
    }
}

void OpenShort::DeviceRemoval() {
    RefreshPortList();
    if (ui.actionOpen_Close_Device->isChecked() && _portBox->findText(_device->portName()) < 0) {
        SwitchPort(false);
        QMessageBox::warning(
            this, tr("Missing Connection..."),
            tr("The device maybe disconnect from the PC, please check it and retry."),
            QMessageBox::Ok);
    }
    if (_portBox->count() == 0) {
        ui.actionOpen_Close_Device->setEnabled(false);
    }
}
