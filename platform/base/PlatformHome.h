#pragma once
// The simulated device's state directory: $IAP_PLATFORM_HOME, or
// $HOME/.local/share/vexmora-device when unset. Created on first use. The
// device's state is its owner's alone: the home and the folders the platform
// makes in it are 0700, the files it writes 0600.
#include <string>

namespace Vx::Base {

// Absolute path, without a trailing slash.
std::string GetPlatformHome();
// GetPlatformHome() + "/" + relative, with the parent directories created (0700).
std::string GetPlatformPath(const std::string& relative);
// Creates `path` and its missing parents inside the platform home as owner-only
// folders. False with errno set when a folder could not be made.
bool CreatePrivateFolders(const std::string& path);
// Takes the group and other permission bits away from a file or folder of this user.
void RestrictToOwner(const std::string& path);

// The platform identifier prefix ("http://vexmora.com") for operation ids and system keys.
constexpr const wchar_t* kPlatformIdPrefix = L"http://vexmora.com";

}  // namespace Vx::Base
