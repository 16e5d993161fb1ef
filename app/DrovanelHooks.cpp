#include "Drovanel.h"

// The places where the tuning panel, the recording of bridge data and the
// dialogs join the window. Until those are in, each does nothing.

void Drovanel::RecordReplyLine(const std::string&) {}

void Drovanel::RefreshTuneParameters() {}

void Drovanel::ShowTuneParameter(int) {}

void Drovanel::OpenOffsetReading() {}
