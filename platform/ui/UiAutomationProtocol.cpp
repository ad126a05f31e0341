#include "platform/ui/UiAutomationProtocol.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/app/AppSocketDirectory.h"

namespace Vx::Ui::Automation {

bool IsEnabledByEnvironment() {
    const char* value = std::getenv(kEnableEnv);
    return value && std::strcmp(value, "1") == 0;
}

result GetSocketPath(const std::string& appId, std::string& path, std::string& error) {
    std::string dir;
    result r = App::AppSocketDirectory::Get(dir, error);
    if (r != E_SUCCESS) return r;
    // A folder of its own: everything beside the applications' sockets hears their broadcasts.
    dir += "/ui";
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
        error = "cannot create " + dir + ": " + std::strerror(errno);
        return E_IO;
    }
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) {
        error = dir + " is not a folder of this user; remove it";
        return E_PERMISSION_DENIED;
    }
    if ((st.st_mode & 077) != 0 && ::chmod(dir.c_str(), 0700) != 0) {
        error = "cannot restrict " + dir + " to its owner: " + std::strerror(errno);
        return E_PERMISSION_DENIED;
    }
    path = App::AppSocketDirectory::GetSocketPath(dir, appId);
    return E_SUCCESS;
}

result ResultFromCode(const std::string& code) {
    if (code == kCodeNotFound || code == kCodeNoWindow) return E_OBJ_NOT_FOUND;
    if (code == kCodeDisabled) return E_INVALID_STATE;
    if (code == kCodeWrongType || code == kCodeRejected) return E_INVALID_ARG;
    if (code == kCodeTimeout) return E_TIMEOUT;
    if (code == kCodeBadRequest) return E_INVALID_FORMAT;
    return E_FAILURE;
}

}  // namespace Vx::Ui::Automation
