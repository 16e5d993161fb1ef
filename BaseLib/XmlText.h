#pragma once

#include <mxml.h>

#include <functional>

// Mini-XML holds a comment, a processing instruction, a declaration and a
// CDATA section as an element named after its markup ("!-- ... --",
// "?target ...?", "!DOCTYPE ...", "![CDATA[..."): true for those.
bool IsXmlMarkupNode(mxml_node_t* node);

// An element proper named `name` (exactly, case-sensitive).
bool IsXmlElementNamed(mxml_node_t* node, const char* name);

// Hands `visit` each text of `element` that an XML reader reads as part of its
// text, in document order: its opaque texts and CDATA sections and those of
// the elements inside it, at any depth; comments and processing instructions
// read as nothing. True when `element` holds an element. The walk does not
// recurse, so no depth of nesting can exhaust the stack.
bool ForEachXmlText(mxml_node_t* element, const std::function<void(const char*)>& visit);
