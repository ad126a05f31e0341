#include "platform/base/StartupTrace.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace Vx::Base {

void StartupTrace::Mark(const char* what) {
    static const bool enabled = [] {
        const char* flag = std::getenv("IAP_TRACE_STARTUP");
        return flag && flag[0] == '1';
    }();
    if (!enabled) return;
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    long long us = static_cast<long long>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
    std::fprintf(stderr, "[trace %d] %lld %s\n", static_cast<int>(::getpid()), us, what);
    std::fflush(stderr);
}

}  // namespace Vx::Base
