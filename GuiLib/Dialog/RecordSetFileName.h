#pragma once

#include <QDialog>
#include <QString>

#include "ui_RecordSetFileName.h"

// Asks for the name of a new record of bridge data. The name starts as the
// current local time stamp, all selected, so typing replaces it.
class RecordSetFileName : public QDialog {
    Q_OBJECT
public:
    explicit RecordSetFileName(QWidget* parent);

    // The record's name as typed, without the ".log" extension.
    QString FileName() const;
    Ui::RecordSetFileName& Form() { return ui; }

private:
    Ui::RecordSetFileName ui;
};
