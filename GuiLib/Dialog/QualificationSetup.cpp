#include "QualificationSetup.h"

QualificationSetup::QualificationSetup(QWidget* parent) : QDialog(parent) {
    ui.setupUi(this);
    ui.spinBox->selectAll();
}

QString QualificationSetup::Lines() const {
    return ui.spinBox->text();
}
