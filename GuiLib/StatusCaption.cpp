#include "StatusCaption.h"

#include <QLabel>
#include <QStatusBar>

namespace morvex_gui_qtlib {

QString StatusCaption(const QString& caption, const QString& value) {
    return QStringLiteral("<FONT COLOR=green>%1</FONT><FONT COLOR=steelblue>%2</FONT>")
        .arg(caption, value);
}

QLabel* AddStatusLabel(QStatusBar* bar, QWidget* parent, const QString& caption) {
    auto* label = new QLabel(StatusCaption(caption, QStringLiteral(" ")), parent);
    bar->addWidget(label);
    return label;
}

void ShowStatusReading(QLabel* label, const QString& caption, const char* value) {
    label->setText(StatusCaption(caption, QString::fromLocal8Bit(value)));
}

void ResetChannelLabels(QLabel* x, QLabel* y) {
    x->setText(QStringLiteral("<FONT COLOR=green>X-Ch.: </FONT><FONT COLOR=steelblue>"));
    y->setText(QStringLiteral("<FONT COLOR=green>Y-Ch.: </FONT><FONT COLOR=steelblue>"));
}

}  // namespace morvex_gui_qtlib
