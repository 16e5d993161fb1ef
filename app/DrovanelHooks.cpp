#include "Drovanel.h"

// Where the calibration dialog joins the window. Until it is in, reading
// the offsets opens nothing.

void Drovanel::OpenOffsetReading() {}
