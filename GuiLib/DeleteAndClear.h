#pragma once

namespace morvex_gui_qtlib {

// Deletes what `pointer` owns and leaves it null, so nothing that runs later
// in a window's teardown can reach the freed object.
template <class T>
void DeleteAndClear(T*& pointer) {
    delete pointer;
    pointer = nullptr;
}

}  // namespace morvex_gui_qtlib
