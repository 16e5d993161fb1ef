#include "XmlText.h"

#include <cstring>

bool IsXmlMarkupNode(mxml_node_t* node) {
    if (mxmlGetType(node) != MXML_ELEMENT) {
        return false;
    }
    const char first = mxmlGetElement(node)[0];
    return first == '!' || first == '?';
}

bool IsXmlElementNamed(mxml_node_t* node, const char* name) {
    return mxmlGetType(node) == MXML_ELEMENT && std::strcmp(mxmlGetElement(node), name) == 0;
}

bool ForEachXmlText(mxml_node_t* element, const std::function<void(const char*)>& visit) {
    bool holdsElement = false;
    for (mxml_node_t* node = mxmlGetFirstChild(element); node != nullptr;
         node = mxmlWalkNext(node, element, MXML_DESCEND)) {
        if (mxmlGetType(node) == MXML_OPAQUE) {
            visit(mxmlGetOpaque(node));
        } else if (const char* cdata = mxmlGetCDATA(node)) {
            visit(cdata);
        } else if (mxmlGetType(node) == MXML_ELEMENT && !IsXmlMarkupNode(node)) {
            holdsElement = true;
        }
    }
    return holdsElement;
}
