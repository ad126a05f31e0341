#include "platform/app/AppLog.h"

#include <unistd.h>

#include <cstdio>

#include "platform/app/AppContextPrivate.h"

namespace Vx::App {

void LogAppWarning(const std::string& message) {
    std::fprintf(stderr, "[%s %d] %s\n", AppContext::GetLogName().c_str(), static_cast<int>(::getpid()),
                 message.c_str());
    std::fflush(stderr);
}

}  // namespace Vx::App
