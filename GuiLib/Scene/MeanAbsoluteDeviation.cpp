#include "MeanAbsoluteDeviation.h"

#include <cmath>

namespace morvex_gui_qtlib {

double MeanAbsoluteDeviation(const double* values) {
    double sum = 0.0;
    for (int i = 0; i < kJitterSamples; ++i) {
        sum += values[i];
    }
    const double mean = sum / kJitterSamples;
    double deviation = 0.0;
    for (int i = 0; i < kJitterSamples; ++i) {
        deviation += std::fabs(values[i] - mean);
    }
    return deviation / kJitterSamples;
}

}  // namespace morvex_gui_qtlib
