#pragma once

#include <QByteArray>
#include <QString>
#include <string>
#include <utility>
#include <vector>

// An INI file as its lines. A key written with a new value gets a new line;
// every other line (comments, keys the store does not hold, values whose text
// did not change) is written back byte for byte. Keys and values are read and
// written in the quoting and escapes of QSettings, but a comma is part of the
// value, never a list separator.
//
// Keys of a section are named with the section in front ("ModeSwitch/debug_mode");
// keys before any section and in [General] have no prefix.
class SettingsIni {
public:
    // False when the file exists but cannot be read; a missing file is empty.
    bool Read(const QString& file);

    // Every key with its value text, in file order.
    std::vector<std::pair<std::string, std::string>> Entries() const;

    // Gives `key` the value `value`: its line is rewritten when the text
    // differs, a new line is added to its section when the key is not there.
    void Set(const std::string& key, const std::string& value);

    QByteArray Text() const;

private:
    struct Line {
        std::string text;     // without the line end
        std::string section;  // of an entry or a section header
        std::string key;      // full key of an entry; empty otherwise
        std::string value;
        bool isHeader = false;
    };

    static Line Parse(const std::string& text, const std::string& section);
    size_t InsertionPoint(const std::string& section);
    static std::string EntryText(const std::string& name, const std::string& value);

    std::vector<Line> _lines;
    std::string _lineEnd = "\n";
    std::string _byteOrderMark;  // kept as the file had it
};
