#include "platform/system/SystemTime.h"

#include <chrono>

namespace Vx::System {

result SystemTime::GetTicks(long long& ticks) {
    auto now = std::chrono::steady_clock::now().time_since_epoch();
    ticks = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
    return E_SUCCESS;
}

}  // namespace Vx::System
