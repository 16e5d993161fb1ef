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
// data (written raw, a reader turns it into a line feed), and U+FEFF, which it
// drops wherever it stands.
//
// The keeper hands Mini-XML the text with each such character as a stand-in
// that it reads and writes unchanged: a private-use character that the text
// neither holds nor references. The written text then gets, in place of each
// stand-in, the reference it stands for: the one read, byte for byte, or
// "&#xFEFF;" for a raw U+FEFF. A leading byte order mark is no character and
// is left to the reader.
class CharacterReferenceKeeper {
public:
    explicit CharacterReferenceKeeper(const std::string& text);

    // The text to load.
    const std::string& Guarded() const { return _guarded; }
    // `written`, a text saved from the guarded one, with each stand-in
    // turned back into its reference, in one pass over it.
    std::string Restored(std::string written) const;
    // Empty, or the first place where such a character stands that no
    // reference can keep (a name, a CDATA section), with why.
    const std::string& Unkept() const { return _unkept; }

private:
    void GuardTag(const std::string& text, size_t begin, size_t end);
    // Copies text[begin, end), each character that `kept` names as a
    // reference, and each raw U+FEFF, as its stand-in.
    void CopyGuarding(const std::string& text, size_t begin, size_t end,
                      const std::set<uint32_t>& kept);
    // Copies the reference or raw U+FEFF at `at` as its stand-in when it is
    // one to keep; how many bytes of `text` it took, 0 when none.
    size_t GuardAt(const std::string& text, size_t at, const std::set<uint32_t>& kept);
    // Copies text[begin, end) as it is; a raw U+FEFF there cannot be kept.
    void CopyUnguarded(const std::string& text, size_t begin, size_t end, const char* where);
    // The stand-in (UTF-8) for `reference`, or `reference` itself when no
    // private-use code point is left for it.
    std::string_view StandInFor(std::string_view reference);

    std::set<uint32_t> _taken;  // private-use code points the text holds or references
    std::string _guarded;
    std::string _unkept;
    uint32_t _nextStandIn;
    // Each reference kept and its stand-in, and each stand-in's code point
    // and the reference it is written back as.
    std::map<std::string, std::string, std::less<>> _standIns;
    std::unordered_map<uint32_t, std::string> _references;
};
