#include "platform/app/AppManager.h"

#include <algorithm>
#include <new>

#include "platform/app/AppContextPrivate.h"
#include "platform/app/AppControl.h"
#include "platform/app/AppControlClientPrivate.h"
#include "platform/app/IActiveAppEventListener.h"

namespace Vx::App {

IActiveAppEventListener::~IActiveAppEventListener() { AppManager::GetInstance()->RemoveActiveAppEventListener(*this); }

AppManager* AppManager::GetInstance() {
    static AppManager* instance = new AppManager();
    return instance;
}

AppControl* AppManager::FindAppControlN(const AppId& appId, const Vx::Base::String& operationId) {
    AppManifest manifest;
    if (AppManifestRegistry::Find(appId.ToUtf8(), manifest) != E_SUCCESS) return nullptr;
    return new (std::nothrow) AppControl(appId, operationId, Vx::Base::String::FromUtf8(manifest.name));
}

bool AppManager::IsAppInstalled(const AppId& appId) {
    AppManifest manifest;
    return AppManifestRegistry::Find(appId.ToUtf8(), manifest) == E_SUCCESS;
}

result AppManager::AddActiveAppEventListener(IActiveAppEventListener& listener) {
    if (std::find(activeAppListeners_.begin(), activeAppListeners_.end(), &listener) != activeAppListeners_.end())
        return E_OBJ_ALREADY_EXIST;
    activeAppListeners_.push_back(&listener);
    return E_SUCCESS;
}

result AppManager::RemoveActiveAppEventListener(IActiveAppEventListener& listener) {
    auto it = std::find(activeAppListeners_.begin(), activeAppListeners_.end(), &listener);
    if (it == activeAppListeners_.end()) return E_OBJ_NOT_FOUND;
    activeAppListeners_.erase(it);
    return E_SUCCESS;
}

result AppManager::AnnounceActiveApp(const AppId& appId) {
    return AppControlClient::Broadcast(Ipc::ActiveAppChangedMessage{appId.ToUtf8()}, AppContext::GetCurrent().appId);
}

void AppManager::NotifyActiveAppChanged(const AppId& appId) {
    // A copy: a listener may remove itself (or end the application) while being told.
    std::vector<IActiveAppEventListener*> listeners = activeAppListeners_;
    for (IActiveAppEventListener* listener : listeners) {
        if (std::find(activeAppListeners_.begin(), activeAppListeners_.end(), listener) != activeAppListeners_.end())
            listener->OnActiveAppChanged(appId);
    }
}

}  // namespace Vx::App
