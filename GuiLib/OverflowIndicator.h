#pragma once

#include <QPushButton>

namespace morvex_gui_qtlib {

// The status-bar "Overflow" button: green while reading keeps up with the
// bridge, red and yellow once a read was dropped, until the operator clears it.
class OverflowIndicator : public QPushButton {
    Q_OBJECT
public:
    explicit OverflowIndicator(QWidget* parent);

    void Mark();
    void Clear();
};

}  // namespace morvex_gui_qtlib
