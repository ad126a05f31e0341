#pragma once
#include <vector>

#include "platform/app/AppTypes.h"

namespace Vx::App {

class AppControl;
class IActiveAppEventListener;

// The device's applications: finding an application's operations, and
// which application is in the foreground.
class AppManager {
public:
    static AppManager* GetInstance();

    // Null when no application with this id is installed (or the id is not a
    // valid application id). The caller deletes the object.
    static AppControl* FindAppControlN(const AppId& appId, const Vx::Base::String& operationId);
    static bool IsAppInstalled(const AppId& appId);

    // E_OBJ_ALREADY_EXIST when added twice; E_OBJ_NOT_FOUND when removing one never added.
    result AddActiveAppEventListener(IActiveAppEventListener& listener);
    result RemoveActiveAppEventListener(IActiveAppEventListener& listener);

    // Tells every running application of this platform home that `appId` came
    // to the foreground (a UI application announces itself when it starts).
    static result AnnounceActiveApp(const AppId& appId);

    // For the platform's own delivery of foreground changes.
    void NotifyActiveAppChanged(const AppId& appId);

private:
    friend class AppRuntime;
    AppManager() = default;
    std::vector<IActiveAppEventListener*> activeAppListeners_;
};

}  // namespace Vx::App
