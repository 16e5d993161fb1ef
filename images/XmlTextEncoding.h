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
//
// A file read as UTF-8 may declare another encoding ("ISO-8859-1"), which
// other readers honour. Its bytes below 0x80 must then mean ASCII, so that
// what Mini-XML parses is what they parse; what it writes past ASCII, though,
// is UTF-8 and means other characters to them (see OtherDeclaredEncoding).
class XmlTextEncoding {
public:
    // `bytes` as UTF-8 `text`: UTF-8 as it stands, UTF-16 (by its byte order
    // mark) decoded, its mark becoming UTF-8's. False, with why in `reason`,
    // for UTF-32, for bytes that are not valid in their encoding (UTF-16
    // without its mark among them), for a NUL character, which no XML text
    // may hold, and for UTF-8 declared as an encoding in which ASCII bytes
    // need not be ASCII characters (UTF-7, ISO-2022, EBCDIC, ...).
    bool Decode(const std::string& bytes, std::string& text, std::string& reason);
    // UTF-8 `text` as bytes in the encoding that Decode found, with a byte
    // order mark where the file had one (UTF-16 always has). False, with why
    // in `reason`, when `text` is not valid UTF-8 and has to be encoded anew.
    bool Encode(const std::string& text, std::string& bytes, std::string& reason) const;
    // The encoding that a file read as UTF-8 declares when that is neither
    // UTF-8 nor UTF-16; empty otherwise. Its raw bytes are to be written back
    // as read and every other character past ASCII as a character reference.
    const std::string& OtherDeclaredEncoding() const { return _otherDeclared; }

private:
    enum class Form { Utf8, Utf16LittleEndian, Utf16BigEndian };

    bool ReadDeclaration(const std::string& bytes, std::string& reason);
    bool DecodeUtf16(const std::string& bytes, std::string& text, std::string& reason) const;
    void AppendUtf16(char32_t code, std::string& bytes) const;

    Form _form = Form::Utf8;
    bool _byteOrderMark = false;
    std::string _otherDeclared;
};
