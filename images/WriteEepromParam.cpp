#include "WriteEepromParam.h"

#include <mxml.h>

#include <QFile>
#include <QString>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "CharacterReferenceKeeper.h"
#include "OperationLog.h"
#include "WholeFileWriter.h"
#include "XmlLoader.h"
#include "XmlMarkup.h"
#include "XmlText.h"
#include "XmlTextEncoding.h"

namespace {

const char kSection[] = "eprom_param";
const char kNamePrefix[] = "EEP_";
const char kUnset[] = "null";
const char kIndent[] = "  ";

// Owns a loaded document.
class Document {
public:
    explicit Document(mxml_node_t* top) : _top(top) {}
    ~Document() {
        if (_top != nullptr) {
            mxmlDelete(_top);
        }
    }
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;
    mxml_node_t* Top() const { return _top; }

private:
    mxml_node_t* _top;
};

// A refusal of a file that declares another encoding says which: that is
// often why its characters could not be kept.
void LogFailure(const std::string& file, const std::string& reason,
                const XmlTextEncoding& encoding) {
    const std::string& declared = encoding.OtherDeclaredEncoding();
    LOG4CPLUS_WARN(
        OperationLogger(),
        "Pattern xml " << file << ": " << reason
                       << (declared.empty() ? ""
                                            : " (its declared encoding is \"" + declared + "\")"));
}

bool ReadWhole(const std::string& file, std::string& text, std::string& errors) {
    QFile input(QString::fromLocal8Bit(file.c_str()));
    if (input.open(QIODevice::ReadOnly)) {
        text = input.readAll().toStdString();
    }
    if (!input.isOpen() || input.error() != QFileDevice::NoError) {
        errors = input.errorString().toLocal8Bit().toStdString();
        return false;
    }
    return true;
}

// Element content is kept as opaque text, whitespace included, so the
// document writes back exactly as it was laid out.
mxml_node_t* LoadDocument(const std::string& guarded, std::string& errors) {
    mxml_node_t* top = LoadXmlText(guarded, errors);
    if (top == nullptr && errors.empty()) {
        errors = "no XML content";
    }
    return top;
}

bool IsCData(mxml_node_t* node) {
    return mxmlGetCDATA(node) != nullptr;
}

bool IsText(mxml_node_t* node) {
    return mxmlGetType(node) == MXML_OPAQUE || IsCData(node);
}

// Every XML reader reads a raw carriage return, alone or before a line feed,
// as one line feed; one given as a reference is a stand-in here and stays.
std::string LineEndsAsRead(const char* raw) {
    std::string text;
    for (const char* at = raw; *at != '\0'; ++at) {
        if (*at != '\r') {
            text += *at;
        } else if (at[1] != '\n') {
            text += '\n';
        }
    }
    return text;
}

// What an XML reader reads as the text of `element`: its texts and CDATA
// sections, and those of the elements in it, in order, with line ends and
// references read; comments and processing instructions read as nothing.
std::string ReadText(mxml_node_t* element, const CharacterReferenceKeeper& keeper,
                     bool& holdsElement) {
    std::string text;
    holdsElement = ForEachXmlText(
        element, [&](const char* part) { text += keeper.Meaning(LineEndsAsRead(part)); });
    return text;
}

// Gives a "value" element the one text `guarded`, as plain text where its
// first text or CDATA section stood, or at its end when it has none; its
// other texts go, so that it reads as that value alone. Its comments and
// processing instructions stay.
void SetText(mxml_node_t* valueElement, const std::string& guarded) {
    std::vector<mxml_node_t*> replaced;
    for (mxml_node_t* child = mxmlGetFirstChild(valueElement); child != nullptr;
         child = mxmlGetNextSibling(child)) {
        if (IsText(child)) {
            replaced.push_back(child);
        }
    }
    if (replaced.empty()) {
        mxmlNewOpaque(valueElement, guarded.c_str());
        return;
    }
    if (mxmlGetType(replaced.front()) == MXML_OPAQUE) {
        mxmlSetOpaque(replaced.front(), guarded.c_str());
        replaced.erase(replaced.begin());
    } else {
        mxmlAdd(valueElement, MXML_ADD_BEFORE, replaced.front(),
                mxmlNewOpaque(MXML_NO_PARENT, guarded.c_str()));
    }
    for (mxml_node_t* node : replaced) {
        mxmlDelete(node);
    }
}

enum class Update { NotFound, Found, Refused };

// Walks the section in document order, as a reader of "name"/"value" pairs
// would: a name starts a new parameter, the "value" element that follows
// belongs to it. What a "name" or "value" holds is part of its text, so the
// walk does not descend into either: a "value" inside a "name" is never
// taken for the parameter's value. A stored value that is empty or "null"
// (not seen yet) is filled in place, so the parameter never stands in the
// file twice. Names and values are compared as they read. A value that holds
// an element is not rewritten: that would drop the element, or leave it to
// be read along.
Update UpdateExisting(mxml_node_t* section, const std::string& fullName, const std::string& value,
                      CharacterReferenceKeeper& keeper) {
    std::string currentName = kUnset;
    Update update = Update::NotFound;
    mxml_node_t* node = section;
    while (node != nullptr) {
        bool holdsElement = false;
        const bool isName = IsXmlElementNamed(node, "name");
        const bool isValue = IsXmlElementNamed(node, "value");
        if (isName) {
            currentName = ReadText(node, keeper, holdsElement);
        } else if (isValue && currentName == fullName) {
            update = Update::Found;
            const std::string current = ReadText(node, keeper, holdsElement);
            if (holdsElement) {
                return Update::Refused;
            }
            if (current != value) {
                SetText(node, keeper.GuardedValue(value));
                break;
            }
        }
        node = mxmlWalkNext(node, section, isName || isValue ? MXML_NO_DESCEND : MXML_DESCEND);
    }
    return update;
}

void AppendWhitespace(mxml_node_t* parent, const std::string& text) {
    mxmlNewOpaque(parent, text.c_str());
}

void AppendTextElement(mxml_node_t* parent, const char* name, const std::string& text) {
    mxml_node_t* element = mxmlNewElement(parent, name);
    mxmlNewOpaque(element, text.c_str());
}

void AppendOption(mxml_node_t* section, const std::string& fullName, const std::string& value,
                  bool first, CharacterReferenceKeeper& keeper) {
    const std::string indent1 = kIndent;
    const std::string indent2 = indent1 + kIndent;
    const std::string indent3 = indent2 + kIndent;
    AppendWhitespace(section, first ? indent1 : "\n" + indent2);
    mxml_node_t* option = mxmlNewElement(section, "option");
    AppendWhitespace(option, "\n" + indent3);
    AppendTextElement(option, "name", keeper.GuardedValue(fullName));
    AppendWhitespace(option, "\n" + indent3);
    AppendTextElement(option, "value", keeper.GuardedValue(value));
    AppendWhitespace(option, "\n" + indent2);
}

// Empty, or the name of the first parameter whose value cannot be set.
std::string ApplyValues(mxml_node_t* section, const std::map<std::string, std::string>& values,
                        CharacterReferenceKeeper& keeper) {
    int appended = 0;
    for (const auto& [key, value] : values) {
        const std::string fullName = kNamePrefix + key;
        const Update update = UpdateExisting(section, fullName, value, keeper);
        if (update == Update::Refused) {
            return fullName;
        }
        if (update == Update::NotFound) {
            AppendOption(section, fullName, value, appended == 0, keeper);
            ++appended;
        }
    }
    if (appended > 0) {
        AppendWhitespace(section, std::string("\n") + kIndent);
    }
    return {};
}

bool IsDeclaration(const char* name) {
    return name[0] == '!' && std::strncmp(name, "!--", 3) != 0 &&
           std::strncmp(name, "![CDATA[", 8) != 0;
}

// Mini-XML reads the entities inside a declaration ("<!DOCTYPE ...>") but
// writes the declaration's text as it holds it. "&" and ">" can only have come
// from entities there, and go back as such, so the declaration reads again.
void EscapeDeclarations(mxml_node_t* top) {
    for (mxml_node_t* node = top; node != nullptr; node = mxmlWalkNext(node, top, MXML_DESCEND)) {
        if (mxmlGetType(node) != MXML_ELEMENT || !IsDeclaration(mxmlGetElement(node))) {
            continue;
        }
        const std::string name = mxmlGetElement(node);
        std::string escaped;
        for (char c : name) {
            escaped += c == '&' ? "&amp;" : c == '>' ? "&gt;" : std::string(1, c);
        }
        if (escaped != name) {
            mxmlSetElement(node, escaped.c_str());
        }
    }
}

// The document as it goes into the file; false when Mini-XML cannot write it.
bool Serialise(mxml_node_t* top, std::string& text) {
    EscapeDeclarations(top);
    mxmlSetWrapMargin(0);  // the loaded whitespace alone gives the layout
    char* written = mxmlSaveAllocString(top, MXML_NO_CALLBACK);
    mxmlSetWrapMargin(72);
    if (written == nullptr) {
        return false;
    }
    text = written;
    std::free(written);
    return true;
}

// The text loads again, and to a document that writes the same text: what
// the file will hold reads back as what was meant.
bool LoadsBackAsWritten(const std::string& text, std::string& reason) {
    Document reread(LoadXmlText(text, reason));
    std::string again;
    if (reread.Top() == nullptr) {
        return false;
    }
    if (!Serialise(reread.Top(), again) || again != text) {
        reason = "it does not read back as written";
        return false;
    }
    return true;
}

// Mini-XML ends a declaration at its first ">" and writes the entities it
// read there its own way, which its own reader accepts but no other does.
// Declarations, comments and processing instructions must therefore come out
// byte for byte as they were read; `restored` is the text that goes out.
bool WritesMarkupAsRead(const std::string& read, const std::string& restored, std::string& reason) {
    const std::vector<std::string> before = RawXmlMarkup(read);
    const std::vector<std::string> after = RawXmlMarkup(restored);
    const auto [readPart, writtenPart] =
        std::mismatch(before.begin(), before.end(), after.begin(), after.end());
    if (readPart == before.end() && writtenPart == after.end()) {
        return true;
    }
    reason = XmlExcerpt(readPart != before.end() ? *readPart : *writtenPart);
    return false;
}

// A character that Mini-XML would lose and no reference can keep.
bool KeepsEveryCharacter(const CharacterReferenceKeeper& keeper, std::string& reason) {
    reason = keeper.Unkept();
    return reason.empty();
}

// The whole text first, checked, then one replacing write: the output is
// either the old file or the complete new one, and a text that would not
// load again never replaces anything. `read` is the file's text as decoded
// by `encoding`, and the document was loaded from the keeper's guarded text.
bool SaveDocument(mxml_node_t* top, const std::string& read, const CharacterReferenceKeeper& keeper,
                  const XmlTextEncoding& encoding, const std::string& file) {
    std::string text;
    if (!Serialise(top, text)) {
        LogFailure(file, "document could not be written", encoding);
        return false;
    }
    const std::string restored = keeper.Restored(text);
    std::string reason;
    if (!WritesMarkupAsRead(read, restored, reason) || !KeepsEveryCharacter(keeper, reason)) {
        LogFailure(file,
                   "not written, the XML library would not write this as it was read: " + reason,
                   encoding);
        return false;
    }
    if (!LoadsBackAsWritten(text, reason)) {
        LogFailure(file, "not written, the result would not load again: " + reason, encoding);
        return false;
    }
    std::string bytes;
    if (!encoding.Encode(restored, bytes, reason)) {
        LogFailure(file, "not written, " + reason, encoding);
        return false;
    }
    QString error;
    if (!platform::WholeFileWriter::Save(QString::fromLocal8Bit(file.c_str()),
                                         QByteArray::fromStdString(bytes), &error)) {
        LogFailure(file, "cannot be written: " + error.toLocal8Bit().toStdString(), encoding);
        return false;
    }
    return true;
}

}  // namespace

bool WriteEepromParam(std::string xmlFile, std::map<std::string, std::string> values,
                      std::string outFile) {
    std::string bytes;
    std::string read;
    std::string errors;
    XmlTextEncoding encoding;
    if (!ReadWhole(xmlFile, bytes, errors) || !encoding.Decode(bytes, read, errors)) {
        LogFailure(xmlFile, "cannot be read: " + errors, encoding);
        return false;
    }
    CharacterReferenceKeeper keeper(read, !encoding.OtherDeclaredEncoding().empty());
    Document document(LoadDocument(keeper.Guarded(), errors));
    if (document.Top() == nullptr) {
        LogFailure(xmlFile, "cannot be read: " + errors, encoding);
        return false;
    }
    mxml_node_t* section =
        mxmlFindElement(document.Top(), document.Top(), kSection, nullptr, nullptr, MXML_DESCEND);
    const std::string unset = section != nullptr ? ApplyValues(section, values, keeper) : "";
    if (!unset.empty()) {
        LogFailure(xmlFile,
                   "not written, the value of " + unset + " holds an element, not only text",
                   encoding);
        return false;
    }
    const bool saved = SaveDocument(document.Top(), read, keeper, encoding, outFile);
    if (section == nullptr && !values.empty()) {
        LogFailure(xmlFile, "no eprom_param section, parameters not stored", encoding);
        return false;
    }
    return saved;
}
