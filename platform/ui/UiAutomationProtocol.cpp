#include "platform/ui/UiAutomationProtocol.h"

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
    path = App::AppSocketDirectory::GetSocketPath(dir, appId + ".ui");
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
