#pragma once
// Clocks of the device.
#include "platform/base/Result.h"

namespace Vx::System {

class SystemTime {
public:
    SystemTime() = delete;

    // Milliseconds of a monotonic clock (never goes back, not the wall time); always E_SUCCESS.
    static result GetTicks(long long& ticks);
};

}  // namespace Vx::System
