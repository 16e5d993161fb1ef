#pragma once

#include <QDialog>

#include "ui_AboutDialog.h"

// The program's information box: product, version, date, notice, support
// contact and a link to the maker's site. Nothing beyond its form.
class AboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit AboutDialog(QWidget* parent);

private:
    Ui_AboutDialog ui;
};
