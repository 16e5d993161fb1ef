#include "RecordSetFileName.h"

#include <QDateTime>

namespace {
// The trailing "ms" is a minute and a second without leading zeros: the
// stamp that records have always been named with.
const char* const kPresetPattern = "yyyy-MM-dd-hh-mm-ss-ms";
}  // namespace

RecordSetFileName::RecordSetFileName(QWidget* parent) : QDialog(parent) {
    ui.setupUi(this);
    ui.lineEdit->setText(
        QDateTime::currentDateTime().toString(QString::fromLatin1(kPresetPattern)));
    ui.lineEdit->selectAll();
    connect(ui.pushButton, &QPushButton::clicked, this, &QDialog::accept);
}

QString RecordSetFileName::FileName() const {
    return ui.lineEdit->text();
}
