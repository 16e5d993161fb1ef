#pragma once

#include "DeviceImages.h"
#include "MasterPacket.h"

namespace morvex_gui {

using ::MasterPages;

// The bridge board's own firmware as an Intel HEX file (data records with
// 16-bit addresses and the end record only), cut into a fixed number of
// 128-byte pages; bytes that no record supplies are 0xFF. A flashed panel
// must never get a damaged image, so every record is checked whole.
class MasterImages : public DeviceImages {
public:
    explicit MasterImages(int pageCount);

    // True only when the whole line is the end record: byte count 00, any
    // address, type 01, no data and a checksum that sums right.
    bool IsEnd(const char* line) override;

    // Appends exactly pageCount pages of 128 bytes for the loaded lines; each
    // record lands at its own address, whatever the record order. False, with
    // ErrorText naming the line, for a line that is not a data record (a
    // damaged end record among them), a wrong checksum or byte count, a record
    // outside the pages or over an earlier one; the vector is then as it was
    // before.
    bool Parse(MasterPages& pages);

    int PageCount() const { return _pageCount; }

private:
    const int _pageCount;
};

}  // namespace morvex_gui
