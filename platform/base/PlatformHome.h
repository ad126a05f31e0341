#pragma once
// The simulated device's state directory: $IAP_PLATFORM_HOME, or
// $HOME/.local/share/vexmora-device when unset. Created on first use.
#include <string>

namespace Vx::Base {

// Absolute path, without a trailing slash.
std::string GetPlatformHome();
// GetPlatformHome() + "/" + relative, with the parent directories created.
std::string GetPlatformPath(const std::string& relative);

// The platform identifier prefix ("http://vexmora.com") for operation ids and system keys.
constexpr const wchar_t* kPlatformIdPrefix = L"http://vexmora.com";

}  // namespace Vx::Base
