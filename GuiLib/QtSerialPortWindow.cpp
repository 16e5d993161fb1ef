#include "QtSerialPortWindow.h"

#include "LineDispatch.h"

namespace morvex_gui_qtlib {

QtSerialPortWindow::QtSerialPortWindow(QWidget* parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags), _link(this, [this] { ReadSerialPort(); }) {}

QtSerialPortWindow::~QtSerialPortWindow() = default;

void QtSerialPortWindow::CreateDevice() {
    _link.Attach();
}

void QtSerialPortWindow::ReadDeviceData() {}

void QtSerialPortWindow::ReadSerialPort() {
    ReadPort();
}

void QtSerialPortWindow::ParseLines(const boost::shared_ptr<morvex_gui::State>& currentState,
                                    const std::function<void(const std::string&)>& parsed) {
    morvex_gui::DispatchLines(_link.Lines(), currentState, parsed);
}

void QtSerialPortWindow::SetOverflowIndicator(OverflowIndicator* indicator) {
    _overflowButton = indicator;
    _link.SetIndicator(indicator);
}

}  // namespace morvex_gui_qtlib
