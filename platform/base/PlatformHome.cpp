#include "platform/base/PlatformHome.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace Vx::Base {

std::string GetPlatformHome() {
    std::filesystem::path home;
    if (const char* configured = std::getenv("IAP_PLATFORM_HOME"); configured && *configured) {
        home = configured;
    } else if (const char* user = std::getenv("HOME"); user && *user) {
        home = std::filesystem::path(user) / ".local/share/vexmora-device";
    } else {
        home = std::filesystem::temp_directory_path() / "vexmora-device";
    }
    std::error_code ignored;
    std::filesystem::create_directories(home, ignored);
    return std::filesystem::absolute(home, ignored).lexically_normal().string();
}

std::string GetPlatformPath(const std::string& relative) {
    std::filesystem::path path = std::filesystem::path(GetPlatformHome()) / relative;
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    return path.string();
}

}  // namespace Vx::Base
