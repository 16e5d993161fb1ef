#pragma once

#include <map>
#include <string>

#include "ConfigParameter.h"

// The settings map as a parameter XML file: a "Device" root with one element per
// key (in key order) holding a "value" element with the value text.
//
// A key that is not a valid XML element name (such as "ModeSwitch/debug_mode")
// is written under a sanitised element name with the exact key in its "key"
// attribute (or, when the key is not UTF-8 text an attribute can carry, its
// bytes in hexadecimal in a "keyhex" attribute), so the file stays well-formed
// and reads back to the same key.
class ParseXml {
public:
    virtual ~ParseXml() = default;

    // Writes a temporary file beside `file` and renames it over `file` only
    // once it reads back to the same settings. False, with `file` untouched,
    // when that cannot be done.
    static bool Save(std::string file, const std::map<std::string, ConfigParameter>& parameters);

    // Adds one setting per element of "Device"; a key already in the map keeps
    // its value (the first element of a name wins). False, with nothing added,
    // when the file cannot be opened, is not well-formed or holds no "Device".
    static bool Load(std::string file, std::map<std::string, ConfigParameter>& parameters);
};

// A new zero-terminated copy of UTF-8 text in the local 8-bit code page, for
// texts read out of XML files. The caller frees it with delete[].
char* Utf8ToLocal(const char* utf8);
