#pragma once

#include <QGraphicsScene>
#include <vector>

namespace morvex_gui_qtlib {

// The item at `index`, or null past the end.
template <class Item>
Item* ItemAt(const std::vector<Item*>& items, size_t index) {
    return index < items.size() ? items[index] : nullptr;
}

// Takes `items` out of `scene`, deletes them and empties the list: for scenes
// that rebuild a set of their items on a resize or a clear.
template <class Item>
void RemoveItems(QGraphicsScene* scene, std::vector<Item*>& items) {
    for (Item* item : items) {
        scene->removeItem(item);
        delete item;
    }
    items.clear();
}

}  // namespace morvex_gui_qtlib
