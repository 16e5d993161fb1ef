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

// Kept for the life of the process and never destroyed: its glyphs refer to
// font engines that Qt releases when the application ends.
struct GlyphCache {
    QFont font;
    QHash<QString, QStaticText> texts;
};

// The glyphs of `text` in `font`. Labels share one font in practice, so the
// cache holds the texts of the last font asked for.
const QStaticText& GlyphsOf(const QString& text, const QFont& font) {
    static GlyphCache* const cache = new GlyphCache;
    if (font != cache->font) {
        cache->texts.clear();
        cache->font = font;
    }
    auto found = cache->texts.constFind(text);
    if (found != cache->texts.constEnd()) {
        return *found;
    }
    if (cache->texts.size() >= kCachedTexts) {
        cache->texts.clear();
    }
    QStaticText glyphs(text);
    glyphs.setTextFormat(Qt::PlainText);
    glyphs.prepare(QTransform(), font);
    return *cache->texts.insert(text, glyphs);
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
