#pragma once

#include <cstddef>
#include <string>
#include <vector>

// One stretch of a text as an XML reader meets it: character data, an element
// tag, a CDATA section, or markup that a writer keeps raw (a declaration, a
// comment or a processing instruction).
struct XmlPart {
    enum class Kind { CharacterData, Tag, CData, KeptRaw };
    Kind kind;
    size_t begin;
    size_t end;
};

// `text` cut into its parts, in document order; together they cover it. A
// construct left open runs to the end of the text.
std::vector<XmlPart> XmlParts(const std::string& text);

// The markup of `text` that a writer has to keep byte for byte, in document
// order: declarations ("<!DOCTYPE ...>" with any internal subset), comments
// and processing instructions (the XML declaration among them). Element tags
// and CDATA sections are passed over. A construct left open runs to the end
// of the text, so a writer that cut it short still differs.
std::vector<std::string> RawXmlMarkup(const std::string& text);

// Mini-XML reads an empty comment, "<!---->", as running on to the next "-->"
// and takes everything up to there for its text: a reader gives such a
// comment some text before it hands the XML over.
bool IsEmptyXmlComment(const std::string& text, const XmlPart& part);

// A part of an XML text as one log line shows it: up to its first line end
// and at most 80 bytes, with "..." where it was cut.
std::string XmlExcerpt(const std::string& part);

// The encoding that the XML declaration at the start of `text` (behind a
// UTF-8 byte order mark, if any) names, as written there; empty when there is
// no declaration, or no encoding in it, or when it cannot be read.
std::string DeclaredXmlEncoding(const std::string& text);
