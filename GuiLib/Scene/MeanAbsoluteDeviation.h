#pragma once

namespace morvex_gui_qtlib {

// Samples in one channel's jitter window.
constexpr int kJitterSamples = 10;

// Mean absolute deviation of exactly kJitterSamples values.
double MeanAbsoluteDeviation(const double* values);

}  // namespace morvex_gui_qtlib
