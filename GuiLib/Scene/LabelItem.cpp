#include "LabelItem.h"

#include <QGraphicsScene>
#include <QHash>
#include <QPainter>
#include <QStaticText>
#include <QStyleOptionGraphicsItem>

namespace morvex_gui_qtlib {

namespace {

// Past this many texts the cache starts afresh, so it cannot grow without end.
constexpr int kCachedTexts = 4096;

const QStaticText& GlyphsOf(const QString& text, const QFont& font) {
    static QHash<QString, QStaticText> cache;
    const QString key = font.key() + QChar(0) + text;
    auto found = cache.constFind(key);
    if (found != cache.constEnd()) {
        return *found;
    }
    if (cache.size() >= kCachedTexts) {
        cache.clear();
    }
    QStaticText glyphs(text);
    glyphs.setTextFormat(Qt::PlainText);
    glyphs.prepare(QTransform(), font);
    return *cache.insert(key, glyphs);
}

}  // namespace

LabelItem::LabelItem(const QString& text, QGraphicsItem* parent)
    : QGraphicsSimpleTextItem(text, parent) {}

LabelItem* LabelItem::Add(QGraphicsScene* scene, const QString& text) {
    auto* item = new LabelItem(text);
    scene->addItem(item);
    return item;
}

void LabelItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) {
    const QString label = text();
    const bool plain = pen().style() == Qt::NoPen && brush().style() == Qt::SolidPattern &&
                       !label.contains(QLatin1Char('\n')) &&
                       !(option->state & (QStyle::State_Selected | QStyle::State_HasFocus));
    if (!plain) {
        QGraphicsSimpleTextItem::paint(painter, option, widget);
        return;
    }
    // The same pen, brush and origin as the simple text item's own drawing.
    painter->setFont(font());
    QPen textPen;
    textPen.setBrush(brush());
    painter->setPen(textPen);
    painter->setBrush(Qt::NoBrush);
    painter->drawStaticText(QPointF(0, 0), GlyphsOf(label, font()));
}

}  // namespace morvex_gui_qtlib
