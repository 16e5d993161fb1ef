#pragma once

#include <QMainWindow>
#include <QString>
#include <boost/shared_ptr.hpp>
#include <string>
#include <vector>

#include "PortLink.h"
#include "WindowPiecesFwd.h"
#include "ui_OpenShort.h"

class QComboBox;
class QLabel;
class QSpinBox;
class QTableWidget;
class Settings;

namespace morvex_gui {
class State;
class ZeltoR_Device;
}  // namespace morvex_gui

// The stand-alone open/short test of a panel's electrode grid: opens the
// bridge at 230400, lets the start-up sequence report the electrode counts and
// the grid size, starts the test on every Y electrode report and shows the
// result as a drawing and as two tables (open defects, short defects). Its
// settings, with the threshold, live in "openshort.ini".
class OpenShort : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kDefaultThreshold = 28;
    static constexpr int kMinimumThreshold = 10;
    static constexpr int kMaximumThreshold = 100;

    explicit OpenShort(QWidget* parent = nullptr);
    ~OpenShort() override;

    // Builds the working set: widget record, view, GUI interface, settings,
    // device and first state. Called once by the constructor.
    virtual void CreateDevice();
    // Port choice, port action and threshold on the tool bar.
    void CreateToolWidgets();

    // "openshort.ini" in the program's directory.
    static QString SettingsFile();

public slots:
    // Stand in for the device-change messages: the platform's watcher calls
    // them when a serial adapter comes or goes.
    void DeviceArrival();
    void DeviceRemoval();

private slots:
    void SwitchPort(bool checked);
    void ReadSerialPort();
    void DisplayElectrodesX(const char* text);
    void DisplayElectrodesY(const char* text);
    void StartOpenShort(int x, int y);
    void SetThreshold(int value);

private:
    void CreateStatusBar();
    void ConnectSignals();
    void OpenPort();
    void ClosePort();
    // The open port's adapter went away or the line hung up.
    void LosePort();
    int StartThreshold() const;
    static void FillTable(QTableWidget* table, int rows, int columns);
    static void EmptyTable(QTableWidget* table);

    QLabel* _labelX = nullptr;
    QLabel* _labelY = nullptr;
    morvex_gui_qtlib::PortToolBar* _portBar = nullptr;
    morvex_gui_qtlib::PortWatch* _portWatch = nullptr;
    morvex_gui_qtlib::OverflowIndicator* _overflowButton = nullptr;
    QLabel* _thresholdLabel = nullptr;
    QSpinBox* _thresholdBox = nullptr;
    morvex_gui_qtlib::DisplayView* _view = nullptr;
    boost::shared_ptr<morvex_gui::State> _state;
    morvex_gui_qtlib::QtWindowImp* _windowImp = nullptr;
    morvex_gui_qtlib::WidgetHolder* _widgets = nullptr;
    morvex_gui::ZeltoR_Device* _device = nullptr;
    Settings* _settings = nullptr;
    morvex_gui_qtlib::PortLink _link{this, [this] { ReadSerialPort(); }};
    Ui_OpenShort ui;
};
