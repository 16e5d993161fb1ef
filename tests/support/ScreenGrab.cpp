#include "ScreenGrab.h"

#include <QCoreApplication>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include "DisplayView.h"
#include "EventPump.h"

void LetRefreshHappen(morvex_gui_qtlib::DisplayView& view) {
    QCoreApplication::processEvents();
    PumpFor(2 * morvex_gui_qtlib::DisplayView::kRefreshIntervalMs);
    PumpUntil([&] { return !view.RepaintPending(); });
}

QImage ShownOnScreen(QWidget& view) {
    QWidget* window = view.window();
    const QPoint at = view.mapTo(window, QPoint(0, 0));
    return view.screen()
        ->grabWindow(window->winId(), at.x(), at.y(), view.width(), view.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

QImage FreshPaint(QWidget& view) {
    return view.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

int DifferingPixels(const QImage& a, const QImage& b, const QRect& area) {
    if (a.size() != b.size()) {
        return -1;
    }
    const QRect inside = area & a.rect();
    int differing = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        const auto* lineA = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* lineB = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = inside.left(); x <= inside.right(); ++x) {
            differing += lineA[x] != lineB[x];
        }
    }
    return differing;
}

int StalePixels(QWidget& view) {
    const QImage shown = ShownOnScreen(view);
    return DifferingPixels(shown, FreshPaint(view), shown.rect());
}
