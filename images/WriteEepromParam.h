#pragma once

#include <map>
#include <string>

// Sets the EEPROM parameters of a pattern XML and writes the result to
// `outFile` (which may be `xmlFile`). Keys of `values` carry no "EEP_" prefix;
// the file's "name" texts do. A parameter already in the "eprom_param" section
// gets the new value text; a missing one is appended there as a new "option".
// Everything else, whitespace included, is written back as it was read, in
// the file's own encoding (UTF-8, or UTF-16 by its byte order mark) and with
// its byte order mark, and a character that only a character reference keeps
// (see CharacterReferenceKeeper) is written as one. In a file that declares
// another encoding, so is every character past ASCII that a reference or a
// value gives; its raw bytes go back as read. Names and values are compared
// as an XML reader reads them: references resolved, a CDATA section as its
// text, comments and processing instructions as nothing. A value set becomes
// the one plain text of its "value", where its first text stood; comments and
// processing instructions in it stay.
//
// False when the XML cannot be read, decoded (see XmlTextEncoding) or
// parsed, when it has no "eprom_param" section for the values to go into (the
// document is then written back as read), when the "value" of a parameter to
// set holds an element (nothing is written), when the result would not load
// back as written, when it would not hold a declaration, comment or
// processing instruction byte for byte as read, when it would lose a U+FEFF
// that no reference can keep, or when `outFile` cannot be written. The output
// is replaced only by a complete document that loads again: a failure never
// leaves it truncated, half-written or unreadable.
bool WriteEepromParam(std::string xmlFile, std::map<std::string, std::string> values,
                      std::string outFile);
