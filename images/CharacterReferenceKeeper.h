#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>

// Mini-XML reads some characters of a text so that what it writes back means
// something else to any other reader: a tab, line feed or carriage return
// given as a character reference in an attribute value (written raw, a reader
// turns it into a blank), a carriage return given as a reference in character
// data (written raw, a reader turns it into a line feed), a line feed given
// as a reference right after a raw carriage return (written raw, a reader
// joins the two into one line end), and U+FEFF, which it drops wherever it
// stands. It also reads an empty comment, "<!---->", as running on to the
// next "-->": that comment gets a stand-in for its empty text. In a file
// that declares an encoding other than the UTF-8 that Mini-XML writes, so is
// every character past ASCII that a reference gives: it would be written as
// UTF-8 bytes, which are other characters there, and the raw bytes EF BB BF,
// read as U+FEFF, are three characters there that would be lost.
//
// The keeper hands Mini-XML the text with each such character as a stand-in
// that it reads and writes unchanged: a private-use character that the text
// neither holds nor references. The written text then gets, in place of each
// stand-in, what it stands for: the reference read, byte for byte, a raw
// U+FEFF as "&#xFEFF;", or as its raw bytes in a file declared otherwise, and
// the empty comment's stand-in as nothing. A leading byte order mark is no
// character and is left to the reader.
class CharacterReferenceKeeper {
public:
    // `pastAsciiAsReferences`: the file declares an encoding other than UTF-8
    // and UTF-16 (see XmlTextEncoding::OtherDeclaredEncoding).
    CharacterReferenceKeeper(const std::string& text, bool pastAsciiAsReferences);

    // The text to load.
    const std::string& Guarded() const { return _guarded; }
    // `value`, a text (UTF-8) that the save puts into the document, as it goes
    // there: in a file declared otherwise, each character past ASCII as the
    // stand-in of its character reference; a carriage return, which would be
    // read as a line feed, and a private-use character that is already a
    // stand-in, as that of their own references.
    std::string GuardedValue(const std::string& value);
    // A text of the loaded document as it reads, each stand-in as what it
    // stands for: the character referenced, or the raw bytes.
    std::string Meaning(const std::string& guarded) const;
    // `written`, a text saved from the guarded one, with each stand-in
    // turned back into its reference or raw bytes, in one pass over it.
    std::string Restored(std::string written) const;
    // Empty, or the first place where such a character stands that no
    // reference can keep (a name, a CDATA section), with why.
    const std::string& Unkept() const { return _unkept; }

private:
    // Where a stretch of text stands: references are read in character data
    // and attribute values only.
    enum class Place { CharacterData, AttributeValue, Markup };
    struct StandIn {
        std::string written;  // the reference or raw bytes it goes back as
        std::string meaning;  // the character it stands for, UTF-8
    };

    void GuardTag(const std::string& text, size_t begin, size_t end);
    // Copies text[begin, end), each reference that Keeps names, and each raw
    // U+FEFF, as its stand-in.
    void CopyGuarding(const std::string& text, size_t begin, size_t end, Place place);
    // Copies the reference or raw U+FEFF at `at` as its stand-in when it is
    // one to keep; how many bytes of `text` it took, 0 when none.
    size_t GuardAt(const std::string& text, size_t at, Place place);
    // Copies text[begin, end), where no reference stands; a raw U+FEFF there
    // is kept only where it goes back as raw bytes.
    void CopyMarkup(const std::string& text, size_t begin, size_t end, const char* where);
    // A character that a reference to it in `place` has to keep.
    bool Keeps(uint32_t code, Place place, bool afterRawCarriageReturn) const;
    // Copies a declaration, comment or processing instruction, which is
    // written byte for byte as read or not at all.
    void CopyKeptRaw(const std::string& text, size_t begin, size_t end);
    // The stand-in (UTF-8) for `written`, which reads as `meaning`, or
    // `written` itself when no private-use code point is left for it.
    std::string_view StandInFor(std::string_view written, std::string_view meaning);
    // `text` with each stand-in as the given part of what it stands for.
    std::string Replaced(std::string text, std::string StandIn::*part) const;

    const bool _pastAsciiAsReferences;
    std::set<uint32_t> _taken;  // private-use code points the text holds or references
    std::string _guarded;
    std::string _unkept;
    uint32_t _nextStandIn;
    // Each reference or raw text kept and its stand-in, and each stand-in's
    // code point and what it stands for.
    std::map<std::string, std::string, std::less<>> _standIns;
    std::unordered_map<uint32_t, StandIn> _references;
};
