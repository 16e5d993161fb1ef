#pragma once

#include <string>

// The text forms of Qt's INI format, so that config.ini reads and writes the
// same as through QSettings: values in double quotes where they hold ";", ","
// or "=" or begin or end with a blank, C-style backslash escapes, "@" doubled
// at the start, keys with "%XX" escapes and "\" for a slash. Texts are UTF-8.
namespace ini {

// Where an entry line's content ends (an unquoted ";" starts a comment) and
// where its first unquoted "=" stands (npos when none).
struct EntryBounds {
    size_t end;
    size_t equals;
};
EntryBounds ScanEntry(const std::string& line);

std::string EscapedValue(const std::string& value);
// `text` is what stands after "=", up to the comment. Unlike QSettings, an
// unquoted comma does not make a list: it stays in the value with the blanks
// around it.
std::string UnescapedValue(const std::string& text);

// A key inside its section ("a/b" is written "a\b"), or a section's name.
std::string EscapedKey(const std::string& key);
std::string UnescapedKey(const std::string& text);

// The header text of a section; the unnamed section is [General], and a
// section really named General is written [%General].
std::string SectionHeader(const std::string& section);
// The section a header's text names; empty for [General].
std::string SectionOfHeader(const std::string& name);

}  // namespace ini
