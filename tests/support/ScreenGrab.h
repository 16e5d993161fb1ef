#pragma once

#include <QImage>
#include <QRect>

class QWidget;

namespace morvex_gui_qtlib {
class DisplayView;
}

// What a view shows on screen, for checks that its paints leave nothing stale.

// Runs the event loop until the view's refresh has painted what waited.
void LetRefreshHappen(morvex_gui_qtlib::DisplayView& view);
// The view as its window shows it.
QImage ShownOnScreen(QWidget& view);
// A fresh paint of the whole view.
QImage FreshPaint(QWidget& view);
// Pixels inside `area` where `a` and `b` differ; -1 when their sizes differ.
int DifferingPixels(const QImage& a, const QImage& b, const QRect& area);
// Pixels where the window shows something other than a fresh paint of the view.
int StalePixels(QWidget& view);
