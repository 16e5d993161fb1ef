#pragma once

#include <mxml.h>

// Mini-XML whitespace callback that saves a pattern XML in its canonical
// layout: one tab per depth before each known element, containers open with a
// line feed and close at their own indentation, every element ends its line.
// `where` is one of MXML_WS_BEFORE_OPEN, MXML_WS_AFTER_OPEN,
// MXML_WS_BEFORE_CLOSE and MXML_WS_AFTER_CLOSE; the result is null when
// nothing goes there.
const char* PatternXmlWhitespace(mxml_node_t* node, int where);
