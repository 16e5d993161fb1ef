#include "PortToolBar.h"

#include <QAction>
#include <QComboBox>
#include <QToolBar>

#include "Device.h"

namespace morvex_gui_qtlib {

namespace {

constexpr int kPortComboMinimumWidth = 70;

}  // namespace

PortToolBar::PortToolBar(QToolBar* bar, QAction* openAction, const QStringList& speeds,
                         QWidget* parent)
    : QObject(parent), _portCombo(new QComboBox(parent)), _openAction(openAction) {
    _portCombo->setObjectName(QStringLiteral("portCombo"));
    _portCombo->setMinimumWidth(kPortComboMinimumWidth);
    bar->addWidget(_portCombo);
    if (!speeds.isEmpty()) {
        _speedCombo = new QComboBox(parent);
        _speedCombo->setObjectName(QStringLiteral("speedCombo"));
        _speedCombo->addItems(speeds);
        bar->addWidget(_speedCombo);
    }
    bar->addAction(_openAction);
    _openAction->setCheckable(true);
    FillPorts();
    _openAction->setEnabled(_portCombo->count() > 0);
}

QString PortToolBar::PortName() const {
    return _portCombo->currentText();
}

QString PortToolBar::Speed() const {
    return _speedCombo != nullptr ? _speedCombo->currentText() : QString();
}

bool PortToolBar::IsOpen() const {
    return _openAction->isChecked();
}

void PortToolBar::ChooseSpeed(const QString& speed) {
    const int index = _speedCombo != nullptr ? _speedCombo->findText(speed) : -1;
    if (index >= 0) {
        _speedCombo->setCurrentIndex(index);
    }
}

void PortToolBar::FillPorts() {
    _portCombo->clear();
    QStringList ports;
    ::EnumeratePorts(&ports);
    _portCombo->addItems(ports);
}

void PortToolBar::ShowOpen(bool open) {
    _portCombo->setEnabled(!open);
    if (_speedCombo != nullptr) {
        _speedCombo->setEnabled(!open);
    }
    _openAction->setChecked(open);
}

}  // namespace morvex_gui_qtlib
