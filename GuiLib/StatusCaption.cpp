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

}  // namespace morvex_gui_qtlib
