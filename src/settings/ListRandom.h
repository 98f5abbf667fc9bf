// The generator behind the lists' random picks (demo data): one Mersenne
// Twister per thread, seeded from the system's random device.
#pragma once

#include <cstddef>

namespace zanvoro {

// A position from 0 to count - 1, evenly chosen. REQUIRES: count > 0.
size_t RandomListIndex(size_t count);

}  // namespace zanvoro
