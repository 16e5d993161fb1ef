#pragma once

#include <string>
#include <vector>

#include "DeviceImages.h"

namespace morvex_gui {

// A touch-controller image (.vmx text): each record line "$" + 286 characters
// becomes the bridge write command "w" + record + "l" or "s"; a "!delay" line
// becomes an empty entry at which the sender pauses. A line of white space
// ends the image; nothing but blank or comment lines may follow it.
class SlaveImages : public DeviceImages {
public:
    SlaveImages();
    ~SlaveImages() override;

    bool IsEnd(const char* line) override;

    // Appends the command list of the loaded lines (the vector is not cleared)
    // and sets the version fields. False, with nothing appended and ErrorText
    // naming the line, when a "$" line is not exactly 286 upper-case hex
    // digits or a record stands after the end line.
    bool BuildCommands(std::vector<std::string>* commands);
    // The same list: it does not depend on the port speed.
    bool BuildCommandsHighSpeed(std::vector<std::string>* commands);

    // Two decimal digits, or empty when the image announces no version.
    std::string GetVersion() const { return _version; }
    std::string TargetVersion() const { return _targetVersion; }
    bool IsUpgrade() const { return _upgrade; }
    int VersionIndex() const { return _versionIndex; }

private:
    bool CheckRecords();
    void ReadVersion(const std::string& firstLine);
    void AddCommand(const std::string& line, std::vector<std::string>* commands);

    std::string _version;
    std::string _targetVersion;
    bool _upgrade;
    int _versionIndex;
};

}  // namespace morvex_gui
