#include "OverflowIndicator.h"

namespace morvex_gui_qtlib {

namespace {

constexpr int kMinimumWidth = 70;

}  // namespace

OverflowIndicator::OverflowIndicator(QWidget* parent)
    : QPushButton(QStringLiteral("Overflow"), parent) {
    setObjectName(QStringLiteral("overflowButton"));
    setMinimumWidth(kMinimumWidth);
    setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+C")));
    setToolTip(
        QStringLiteral("<FONT COLOR=GREEN>(Ctrl+Alt+C)</FONT>If it is green, reading fine;it is "
                       "yellow, reading overflow!"));
    Clear();
}

void OverflowIndicator::Mark() {
    setStyleSheet(QStringLiteral("background:red; color:yellow; border-style:flat"));
}

void OverflowIndicator::Clear() {
    setStyleSheet(QStringLiteral("color:green; border-style:flat"));
}

}  // namespace morvex_gui_qtlib
