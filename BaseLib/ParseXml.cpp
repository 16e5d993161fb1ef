#include "ParseXml.h"

#include <mxml.h>

#include <QByteArray>
#include <QString>
#include <algorithm>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "CodePage.h"
#include "OperationLog.h"
#include "WholeFileWriter.h"
#include "XmlLoader.h"
#include "XmlMarkup.h"
#include "XmlText.h"

namespace {

const char kRootName[] = "Device";
const char kValueName[] = "value";
const char kKeyAttribute[] = "key";
// The key's bytes in hexadecimal, for a key that an attribute cannot carry.
const char kKeyBytesAttribute[] = "keyhex";
const char kHexDigits[] = "0123456789ABCDEF";

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsNameStart(char c) {
    return IsAsciiLetter(c) || c == '_';
}

bool IsNameChar(char c) {
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// Deliberately narrower than XML allows (no colons, no non-ASCII), so every
// name we write is well-formed for any reader.
bool IsPlainElementName(const std::string& key) {
    if (key.empty() || !IsNameStart(key.front())) {
        return false;
    }
    for (char c : key) {
        if (!IsNameChar(c)) {
            return false;
        }
    }
    return true;
}

std::string SanitisedElementName(const std::string& key) {
    std::string name = key.empty() || !IsNameStart(key.front()) ? "_" : "";
    for (char c : key) {
        name += IsNameChar(c) ? c : '_';
    }
    return name;
}

// Text an attribute value carries unchanged: valid UTF-8 without control
// characters (a reader would reject the first and normalise the second).
bool IsAttributeSafe(const std::string& text) {
    for (unsigned char c : text) {
        if (c < 0x20) {
            return false;
        }
    }
    const QByteArray bytes = QByteArray::fromStdString(text);
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

std::string HexBytes(const std::string& text) {
    std::string hex;
    hex.reserve(text.size() * 2);
    for (unsigned char c : text) {
        hex += kHexDigits[c >> 4];
        hex += kHexDigits[c & 0x0F];
    }
    return hex;
}

std::string BytesFromHex(const char* hex) {
    const QByteArray bytes = QByteArray::fromHex(QByteArray(hex));
    return bytes.toStdString();
}

void LogFailure(const char* action, const std::string& file, const std::string& reason) {
    LOG4CPLUS_WARN(OperationLogger(),
                   "Parameter XML " << action << " failed: " << file << ": " << reason);
}

mxml_node_t* BuildDocument(const std::map<std::string, ConfigParameter>& parameters) {
    mxml_node_t* document = mxmlNewXML("1.0");
    mxml_node_t* root = mxmlNewElement(document, kRootName);
    for (const auto& entry : parameters) {
        const std::string& key = entry.first;
        mxml_node_t* setting = nullptr;
        if (IsPlainElementName(key)) {
            setting = mxmlNewElement(root, key.c_str());
        } else {
            setting = mxmlNewElement(root, SanitisedElementName(key).c_str());
            if (IsAttributeSafe(key)) {
                mxmlElementSetAttr(setting, kKeyAttribute, key.c_str());
            } else {
                mxmlElementSetAttr(setting, kKeyBytesAttribute, HexBytes(key).c_str());
            }
        }
        mxml_node_t* value = mxmlNewElement(setting, kValueName);
        mxmlNewText(value, 0, entry.second.GetValue().c_str());
    }
    return document;
}

// The document's text; false when Mini-XML cannot write it.
bool SerialiseDocument(mxml_node_t* document, std::string& text) {
    char* written = mxmlSaveAllocString(document, MXML_NO_CALLBACK);
    if (written == nullptr) {
        return false;
    }
    text = written;
    std::free(written);
    return true;
}

std::string SettingKey(mxml_node_t* setting) {
    if (const char* hex = mxmlElementGetAttr(setting, kKeyBytesAttribute)) {
        return BytesFromHex(hex);
    }
    const char* key = mxmlElementGetAttr(setting, kKeyAttribute);
    return key != nullptr ? std::string(key) : std::string(mxmlGetElement(setting));
}

std::string ElementText(mxml_node_t* element) {
    std::string text;
    ForEachXmlText(element, [&text](const char* part) { text += part; });
    return text;
}

// The last "value" element counts; none gives an empty value.
ConfigParameter ReadSetting(mxml_node_t* setting) {
    ConfigParameter parameter(SettingKey(setting), std::string());
    for (mxml_node_t* child = mxmlGetFirstChild(setting); child != nullptr;
         child = mxmlGetNextSibling(child)) {
        if (IsXmlElementNamed(child, kValueName)) {
            parameter.SetValue(ElementText(child));
        }
    }
    return parameter;
}

void ReadSettings(mxml_node_t* root, std::map<std::string, ConfigParameter>& parameters) {
    for (mxml_node_t* child = mxmlGetFirstChild(root); child != nullptr;
         child = mxmlGetNextSibling(child)) {
        // Comments and processing instructions are no settings.
        if (mxmlGetType(child) != MXML_ELEMENT || IsXmlMarkupNode(child)) {
            continue;
        }
        ConfigParameter parameter = ReadSetting(child);
        const std::string key = parameter.GetName();
        parameters.emplace(key, std::move(parameter));
    }
}

// The settings under the document's root; false when it has none.
bool ReadDocumentSettings(mxml_node_t* document,
                          std::map<std::string, ConfigParameter>& parameters) {
    // Without an XML declaration the document is its root element, which
    // Mini-XML's search passes over.
    mxml_node_t* root =
        IsXmlElementNamed(document, kRootName)
            ? document
            : mxmlFindElement(document, document, kRootName, nullptr, nullptr, MXML_DESCEND);
    if (root == nullptr) {
        return false;
    }
    ReadSettings(root, parameters);
    return true;
}

bool ReadsBackAs(const std::string& text,
                 const std::map<std::string, ConfigParameter>& parameters) {
    std::string errors;
    mxml_node_t* document = LoadXmlText(text, errors);
    std::map<std::string, ConfigParameter> loaded;
    const bool read = document != nullptr && ReadDocumentSettings(document, loaded);
    if (document != nullptr) {
        mxmlDelete(document);
    }
    if (!read || loaded.size() != parameters.size()) {
        return false;
    }
    return std::equal(
        loaded.begin(), loaded.end(), parameters.begin(), [](const auto& read, const auto& saved) {
            return read.first == saved.first && read.second.GetValue() == saved.second.GetValue();
        });
}

bool ReadStream(std::FILE* stream, std::string& text, std::string& errors) {
    char buffer[1 << 16];
    size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, stream)) > 0) {
        text.append(buffer, count);
    }
    if (std::ferror(stream) != 0) {
        errors = std::strerror(errno);
        return false;
    }
    return true;
}

// A comment holds no settings, so a blank in an empty one changes nothing
// that the file reads as.
std::string WithEmptyCommentsFilled(const std::string& text) {
    std::string filled;
    filled.reserve(text.size());
    for (const XmlPart& part : XmlParts(text)) {
        if (IsEmptyXmlComment(text, part)) {
            filled += "<!-- -->";
        } else {
            filled.append(text, part.begin, part.end - part.begin);
        }
    }
    return filled;
}

// Mini-XML runs a comment that it cannot see the end of (an empty one in a
// file it decodes itself, one that ends in "--->") on to the next "-->", and
// the settings in between are lost; no comment read as it is written holds
// "-->".
bool HasRunOnComment(mxml_node_t* document, std::string& reason) {
    for (mxml_node_t* node = document; node != nullptr;
         node = mxmlWalkNext(node, document, MXML_DESCEND)) {
        const char* name = mxmlGetType(node) == MXML_ELEMENT ? mxmlGetElement(node) : "";
        if (std::strncmp(name, "!--", 3) == 0 && std::strstr(name + 3, "-->") != nullptr) {
            reason = "a comment runs on past its end: " + XmlExcerpt("<" + std::string(name));
            return true;
        }
    }
    return false;
}

}  // namespace

bool ParseXml::Save(std::string file, const std::map<std::string, ConfigParameter>& parameters) {
    // The old file is replaced only by text that is known to read back to the
    // same settings, so a failed save never costs the settings saved before.
    mxml_node_t* document = BuildDocument(parameters);
    std::string text;
    const bool serialised = SerialiseDocument(document, text);
    mxmlDelete(document);
    if (!serialised) {
        LogFailure("save", file, "the document cannot be written");
        return false;
    }
    if (!ReadsBackAs(text, parameters)) {
        LogFailure("save", file, "the text does not read back to the same settings");
        return false;
    }
    QString error;
    if (!platform::WholeFileWriter::Save(QString::fromLocal8Bit(file.c_str()),
                                         QByteArray::fromStdString(text), &error)) {
        LogFailure("save", file, error.toLocal8Bit().toStdString());
        return false;
    }
    return true;
}

bool ParseXml::Load(std::string file, std::map<std::string, ConfigParameter>& parameters) {
    std::FILE* stream = std::fopen(file.c_str(), "r");
    if (stream == nullptr) {
        LogFailure("load", file, std::strerror(errno));
        return false;
    }
    std::string text;
    std::string errors;
    const bool read = ReadStream(stream, text, errors);
    std::fclose(stream);
    mxml_node_t* document = read ? LoadXmlText(WithEmptyCommentsFilled(text), errors) : nullptr;
    if (document != nullptr && HasRunOnComment(document, errors)) {
        mxmlDelete(document);
        document = nullptr;
    }
    if (!errors.empty()) {
        std::cout << "error" << std::endl;
        LogFailure("load", file, errors);
        return false;
    }
    const bool settingsRead = document != nullptr && ReadDocumentSettings(document, parameters);
    if (!settingsRead) {
        LogFailure("load", file, std::string("no ") + kRootName + " element");
    }
    if (document != nullptr) {
        mxmlDelete(document);
    }
    return settingsRead;
}

char* Utf8ToLocal(const char* utf8) {
    const std::string local = platform::Utf8ToLocal8Bit(utf8 != nullptr ? utf8 : "");
    char* copy = new char[local.size() + 1]();
    std::memcpy(copy, local.data(), local.size());
    return copy;
}
