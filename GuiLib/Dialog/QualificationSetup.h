#pragma once

#include <QDialog>
#include <QString>

#include "ui_QualificationSetup.h"

// Asks how many qualification lines to log, and whether the finger and
// noise positions are set.
class QualificationSetup : public QDialog {
    Q_OBJECT
public:
    explicit QualificationSetup(QWidget* parent);

    // The number of lines as the spin box shows it.
    QString Lines() const;
    Ui::QualificationSetup& Form() { return ui; }

private:
    Ui::QualificationSetup ui;
};
