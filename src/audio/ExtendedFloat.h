#pragma once
// The 80-bit extended float in which AIFF stores its sample rate.
#include "audio/Types.h"

namespace Audio {

double readExtended(const u8* bytes);
void writeExtended(double x, u8* bytes);

} // namespace Audio
