#pragma once

#include <QDialog>

#include "ui_TuningStart.h"

// The checklist before tuning: "Start Tuning Mode" can be pressed only
// while all six bench conditions are ticked. A condition's label is green
// while its box is ticked and red otherwise.
class TuningStart : public QDialog {
    Q_OBJECT
public:
    explicit TuningStart(QWidget* parent);

    Ui_TuningStart& Form() { return ui; }

public slots:
    // Both take a Qt::CheckState value.
    void CheckConditions(int state);
    void CheckAll(int state);

private:
    Ui_TuningStart ui;
};
