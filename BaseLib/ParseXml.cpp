#include "ParseXml.h"

#include <mxml.h>

#include <QByteArray>
#include <QString>
#include <algorithm>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "CodePage.h"
#include "OperationLog.h"
#include "XmlLoader.h"

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

bool WriteDocument(mxml_node_t* document, std::FILE* stream) {
    const bool written = mxmlSaveFile(document, stream, MXML_NO_CALLBACK) == 0;
    const bool flushed = std::fflush(stream) == 0 && std::ferror(stream) == 0;
    const bool closed = std::fclose(stream) == 0;
    return written && flushed && closed;
}

std::string SettingKey(mxml_node_t* setting) {
    if (const char* hex = mxmlElementGetAttr(setting, kKeyBytesAttribute)) {
        return BytesFromHex(hex);
    }
    const char* key = mxmlElementGetAttr(setting, kKeyAttribute);
    return key != nullptr ? std::string(key) : std::string(mxmlGetElement(setting));
}

bool IsElementNamed(mxml_node_t* node, const char* name) {
    return mxmlGetType(node) == MXML_ELEMENT && std::strcmp(mxmlGetElement(node), name) == 0;
}

std::string ElementText(mxml_node_t* element) {
    std::string text;
    for (mxml_node_t* child = mxmlGetFirstChild(element); child != nullptr;
         child = mxmlGetNextSibling(child)) {
        if (mxmlGetType(child) == MXML_OPAQUE) {
            text += mxmlGetOpaque(child);
        }
    }
    return text;
}

// The last "value" element counts; none gives an empty value.
ConfigParameter ReadSetting(mxml_node_t* setting) {
    ConfigParameter parameter(SettingKey(setting), std::string());
    for (mxml_node_t* child = mxmlGetFirstChild(setting); child != nullptr;
         child = mxmlGetNextSibling(child)) {
        if (IsElementNamed(child, kValueName)) {
            parameter.SetValue(ElementText(child));
        }
    }
    return parameter;
}

void ReadSettings(mxml_node_t* root, std::map<std::string, ConfigParameter>& parameters) {
    for (mxml_node_t* child = mxmlGetFirstChild(root); child != nullptr;
         child = mxmlGetNextSibling(child)) {
        if (mxmlGetType(child) != MXML_ELEMENT) {
            continue;
        }
        ConfigParameter parameter = ReadSetting(child);
        const std::string key = parameter.GetName();
        parameters.emplace(key, std::move(parameter));
    }
}

}  // namespace

namespace {

bool ReadsBackAs(const std::string& file,
                 const std::map<std::string, ConfigParameter>& parameters) {
    std::map<std::string, ConfigParameter> loaded;
    if (!ParseXml::Load(file, loaded) || loaded.size() != parameters.size()) {
        return false;
    }
    return std::equal(
        loaded.begin(), loaded.end(), parameters.begin(), [](const auto& read, const auto& saved) {
            return read.first == saved.first && read.second.GetValue() == saved.second.GetValue();
        });
}

}  // namespace

bool ParseXml::Save(std::string file, const std::map<std::string, ConfigParameter>& parameters) {
    // The old file is replaced only by one that is known to read back to the
    // same settings, so a failed save never costs the settings saved before.
    const std::string temporary = file + ".tmp";
    std::FILE* stream = std::fopen(temporary.c_str(), "w");
    if (stream == nullptr) {
        LogFailure("save", file, std::strerror(errno));
        return false;
    }
    mxml_node_t* document = BuildDocument(parameters);
    const bool written = WriteDocument(document, stream);
    mxmlDelete(document);
    if (!written) {
        LogFailure("save", file, "write error");
    } else if (!ReadsBackAs(temporary, parameters)) {
        LogFailure("save", file, "the written file does not read back to the same settings");
    } else if (std::rename(temporary.c_str(), file.c_str()) != 0) {
        LogFailure("save", file, std::strerror(errno));
    } else {
        return true;
    }
    std::remove(temporary.c_str());
    return false;
}

bool ParseXml::Load(std::string file, std::map<std::string, ConfigParameter>& parameters) {
    std::FILE* stream = std::fopen(file.c_str(), "r");
    if (stream == nullptr) {
        LogFailure("load", file, std::strerror(errno));
        return false;
    }
    std::string errors;
    mxml_node_t* document = LoadXmlDocument(stream, errors);
    std::fclose(stream);
    if (!errors.empty()) {
        std::cout << "error" << std::endl;
        LogFailure("load", file, errors);
        return false;
    }
    mxml_node_t* root = document == nullptr ? nullptr
                                            : mxmlFindElement(document, document, kRootName,
                                                              nullptr, nullptr, MXML_DESCEND);
    if (root == nullptr) {
        LogFailure("load", file, std::string("no ") + kRootName + " element");
        if (document != nullptr) {
            mxmlDelete(document);
        }
        return false;
    }
    ReadSettings(root, parameters);
    mxmlDelete(document);
    return true;
}

char* Utf8ToLocal(const char* utf8) {
    const std::string local = platform::Utf8ToLocal8Bit(utf8 != nullptr ? utf8 : "");
    char* copy = new char[local.size() + 1]();
    std::memcpy(copy, local.data(), local.size());
    return copy;
}
