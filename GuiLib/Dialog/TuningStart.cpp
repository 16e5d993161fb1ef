#include "TuningStart.h"

#include <QRegularExpression>

namespace {

const char* const kRed = "color:red;";
const char* const kGreen = "color:green;";

QString ColourFor(bool checked) {
    return QString::fromLatin1(checked ? kGreen : kRed);
}

}  // namespace

TuningStart::TuningStart(QWidget* parent) : QDialog(parent) {
    ui.setupUi(this);
    for (QLabel* label : ui.frameConditions->findChildren<QLabel*>()) {
        label->setStyleSheet(QString::fromLatin1(kRed));
    }
    for (QCheckBox* condition :
         {ui.checkConditionFirst, ui.checkConditionSecond, ui.checkConditionThird,
          ui.checkConditionFourth, ui.checkConditionFifth, ui.checkConditionSixth}) {
        connect(condition, &QCheckBox::stateChanged, this, &TuningStart::CheckConditions);
    }
    connect(ui.checkReadyAll, &QCheckBox::stateChanged, this, &TuningStart::CheckAll);
}

// A box "checkX" belongs to the label "labelX" of the same frame.
void TuningStart::CheckConditions(int state) {
    static const QRegularExpression boxName(QStringLiteral("check(.*)"));
    const QList<QCheckBox*> boxes = ui.frameConditions->findChildren<QCheckBox*>();
    for (QCheckBox* box : boxes) {
        const QString labelName =
            QString(box->objectName()).replace(boxName, QStringLiteral("label\\1"));
        if (auto* label = ui.frameConditions->findChild<QLabel*>(labelName)) {
            label->setStyleSheet(ColourFor(box->isChecked()));
        }
    }
    if (state != Qt::Checked) {
        ui.buttonStart->setEnabled(false);
        ui.checkReadyAll->setChecked(false);
        return;
    }
    for (QCheckBox* box : boxes) {
        if (box != ui.checkReadyAll && !box->isChecked()) {
            return;
        }
    }
    ui.buttonStart->setEnabled(true);
    ui.checkReadyAll->setChecked(true);
}

void TuningStart::CheckAll(int state) {
    ui.labelReadyAll->setStyleSheet(ColourFor(state == Qt::Checked));
}
