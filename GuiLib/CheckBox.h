#pragma once

#include <QCheckBox>

namespace morvex_gui_qtlib {

// A check box the program may show partly checked, but a user's click always
// leads to checked or unchecked.
class CheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit CheckBox(const QString& text, QWidget* parent = nullptr);

protected:
    void nextCheckState() override;
};

}  // namespace morvex_gui_qtlib
