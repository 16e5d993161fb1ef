#pragma once

#include <string>

// The bytes of an XML file as the UTF-8 text that Mini-XML reads, and that
// text back as the file's bytes. Mini-XML reads a file that begins with a
// UTF-16 byte order mark as UTF-16 and every other file as UTF-8, but refuses
// neither when the bytes are something else: an invalid UTF-8 sequence ends
// its text there, quietly when the root is already closed, and FF FE or FE FF
// inside the text switch it to UTF-16 there. What reads the text byte by byte
// beside it must see the characters that it sees, so the file is decoded
// first, and bytes that it could read as other characters are refused.
class XmlTextEncoding {
public:
    // `bytes` as UTF-8 `text`: UTF-8 as it stands, UTF-16 (by its byte order
    // mark) decoded, its mark becoming UTF-8's. False, with why in `reason`,
    // for UTF-32, for bytes that are not valid in their encoding, and for a
    // NUL character, which no XML text may hold.
    bool Decode(const std::string& bytes, std::string& text, std::string& reason);
    // UTF-8 `text` as bytes in the encoding that Decode found; UTF-16 starts
    // with its byte order mark. False, with why in `reason`, when `text` is
    // not valid UTF-8 and has to be encoded anew.
    bool Encode(const std::string& text, std::string& bytes, std::string& reason) const;

private:
    enum class Form { Utf8, Utf16LittleEndian, Utf16BigEndian };

    bool DecodeUtf16(const std::string& bytes, std::string& text, std::string& reason) const;
    void AppendUtf16(char32_t code, std::string& bytes) const;

    Form _form = Form::Utf8;
};
