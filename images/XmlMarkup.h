#pragma once

#include <string>
#include <vector>

// The markup of `text` that a writer has to keep byte for byte, in document
// order: declarations ("<!DOCTYPE ...>" with any internal subset), comments
// and processing instructions (the XML declaration among them). Element tags
// and CDATA sections are passed over. A construct left open runs to the end
// of the text, so a writer that cut it short still differs.
std::vector<std::string> RawXmlMarkup(const std::string& text);
