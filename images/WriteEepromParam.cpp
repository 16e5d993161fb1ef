#include "WriteEepromParam.h"

#include <mxml.h>

#include <QSaveFile>
#include <QString>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "OperationLog.h"
#include "XmlLoader.h"

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

void LogFailure(const std::string& file, const std::string& reason) {
    LOG4CPLUS_WARN(OperationLogger(), "Pattern xml " << file << ": " << reason);
}

// Element content is kept as opaque text, whitespace included, so the
// document writes back exactly as it was laid out.
mxml_node_t* LoadDocument(const std::string& file, std::string& errors) {
    std::FILE* stream = std::fopen(file.c_str(), "r");
    if (stream == nullptr) {
        errors = std::strerror(errno);
        return nullptr;
    }
    mxml_node_t* top = LoadXmlDocument(stream, errors);
    std::fclose(stream);
    if (top == nullptr && errors.empty()) {
        errors = "no XML content";
    }
    return top;
}

bool IsElementNamed(mxml_node_t* node, const char* name) {
    return mxmlGetType(node) == MXML_ELEMENT && std::strcmp(mxmlGetElement(node), name) == 0;
}

// The text child of a "name" or "value" element; none when it is empty.
mxml_node_t* TextChild(mxml_node_t* element) {
    mxml_node_t* child = mxmlGetFirstChild(element);
    if (child == nullptr || mxmlGetType(child) != MXML_OPAQUE) {
        return nullptr;
    }
    const char* text = mxmlGetOpaque(child);
    return text != nullptr && *text != '\0' ? child : nullptr;
}

// Gives a "value" element the text `value`; false when it had it already.
bool SetValue(mxml_node_t* valueElement, const std::string& value) {
    mxml_node_t* child = mxmlGetFirstChild(valueElement);
    if (child == nullptr || mxmlGetType(child) != MXML_OPAQUE) {
        mxmlNewOpaque(valueElement, value.c_str());
        return true;
    }
    if (value == mxmlGetOpaque(child)) {
        return false;
    }
    mxmlSetOpaque(child, value.c_str());
    return true;
}

// Walks the section in document order, as a reader of "name"/"value" pairs
// would: a name starts a new parameter, the "value" element that follows
// belongs to it. A stored value that is empty or "null" (not seen yet) is
// filled in place, so the parameter never stands in the file twice.
bool UpdateExisting(mxml_node_t* section, const std::string& fullName, const std::string& value) {
    std::string currentName = kUnset;
    bool found = false;
    for (mxml_node_t* node = section; node != nullptr;
         node = mxmlWalkNext(node, section, MXML_DESCEND)) {
        if (IsElementNamed(node, "name")) {
            mxml_node_t* text = TextChild(node);
            currentName = text != nullptr ? mxmlGetOpaque(text) : kUnset;
        } else if (IsElementNamed(node, "value") && currentName == fullName) {
            found = true;
            if (SetValue(node, value)) {
                break;
            }
        }
    }
    return found;
}

void AppendWhitespace(mxml_node_t* parent, const std::string& text) {
    mxmlNewOpaque(parent, text.c_str());
}

void AppendTextElement(mxml_node_t* parent, const char* name, const std::string& text) {
    mxml_node_t* element = mxmlNewElement(parent, name);
    mxmlNewOpaque(element, text.c_str());
}

void AppendOption(mxml_node_t* section, const std::string& fullName, const std::string& value,
                  bool first) {
    const std::string indent1 = kIndent;
    const std::string indent2 = indent1 + kIndent;
    const std::string indent3 = indent2 + kIndent;
    AppendWhitespace(section, first ? indent1 : "\n" + indent2);
    mxml_node_t* option = mxmlNewElement(section, "option");
    AppendWhitespace(option, "\n" + indent3);
    AppendTextElement(option, "name", fullName);
    AppendWhitespace(option, "\n" + indent3);
    AppendTextElement(option, "value", value);
    AppendWhitespace(option, "\n" + indent2);
}

void ApplyValues(mxml_node_t* section, const std::map<std::string, std::string>& values) {
    int appended = 0;
    for (const auto& [key, value] : values) {
        const std::string fullName = kNamePrefix + key;
        if (!UpdateExisting(section, fullName, value)) {
            AppendOption(section, fullName, value, appended == 0);
            ++appended;
        }
    }
    if (appended > 0) {
        AppendWhitespace(section, std::string("\n") + kIndent);
    }
}

// The whole text first, then one replacing write: the output is either the
// old file or the complete new one.
bool SaveDocument(mxml_node_t* top, const std::string& file) {
    mxmlSetWrapMargin(0);  // the loaded whitespace alone gives the layout
    char* text = mxmlSaveAllocString(top, MXML_NO_CALLBACK);
    mxmlSetWrapMargin(72);
    if (text == nullptr) {
        LogFailure(file, "document could not be written");
        return false;
    }
    QSaveFile out(QString::fromLocal8Bit(file.c_str()));
    bool written = out.open(QIODevice::WriteOnly);
    if (written) {
        const qint64 length = static_cast<qint64>(std::strlen(text));
        written = out.write(text, length) == length && out.commit();
    }
    std::free(text);
    if (!written) {
        LogFailure(file, "cannot be written: " + out.errorString().toStdString());
    }
    return written;
}

}  // namespace

bool WriteEepromParam(std::string xmlFile, std::map<std::string, std::string> values,
                      std::string outFile) {
    std::string errors;
    Document document(LoadDocument(xmlFile, errors));
    if (document.Top() == nullptr) {
        LogFailure(xmlFile, "cannot be read: " + errors);
        return false;
    }
    mxml_node_t* section =
        mxmlFindElement(document.Top(), document.Top(), kSection, nullptr, nullptr, MXML_DESCEND);
    if (section != nullptr) {
        ApplyValues(section, values);
    }
    const bool saved = SaveDocument(document.Top(), outFile);
    if (section == nullptr && !values.empty()) {
        LogFailure(xmlFile, "no eprom_param section, parameters not stored");
        return false;
    }
    return saved;
}
