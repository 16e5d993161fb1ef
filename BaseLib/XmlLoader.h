#pragma once

#include <mxml.h>

#include <cstdio>
#include <string>

// Loads an XML document from `stream`, element content kept as opaque text
// (whitespace included, so it writes back as it was laid out). Mini-XML's
// parse errors are collected into `errors`, joined with "; "; a document
// with errors, or one that ends inside its first element or inside a tag, is
// dropped and null comes back with a reason in `errors` that names only what
// the text holds. The caller owns the stream and the document.
mxml_node_t* LoadXmlDocument(std::FILE* stream, std::string& errors);

// LoadXmlDocument on text in memory.
mxml_node_t* LoadXmlText(const std::string& text, std::string& errors);
