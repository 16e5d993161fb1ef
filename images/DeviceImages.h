#pragma once

#include <string>
#include <vector>

namespace morvex_gui {

// A firmware image kept as a text file: the lines up to the one that marks the
// end of the image. Subclasses say what that line looks like and what the
// lines mean.
class DeviceImages {
public:
    DeviceImages();
    virtual ~DeviceImages();

    // True for the line that ends the image; the base reads the whole file.
    virtual bool IsEnd(const char* line);

    // Appends the file's lines (without line ends; a CR before the LF is
    // dropped) up to the first end line. A line holding a NUL byte is never
    // the end line: IsEnd could not see it whole. The name is in the local
    // 8-bit encoding. True when at least one line has been read.
    bool Load(const char* file);

    const std::vector<std::string>& Lines() const { return _lines; }
    // Why the last Load or parse failed, for the operator; empty after success.
    const std::string& ErrorText() const { return _error; }

protected:
    std::vector<std::string> _lines;
    // The lines after the end line, for readers that must refuse what stands
    // there; the end line itself is line _lines.size() + 1 of the file.
    std::vector<std::string> _afterEnd;
    std::string _error;
};

}  // namespace morvex_gui
