#include "platform/app/AppControl.h"

#include <map>
#include <memory>

#include "platform/app/AppContextPrivate.h"
#include "platform/app/AppControlClientPrivate.h"
#include "platform/app/AppControlProviderManagerPrivate.h"
#include "platform/app/AppLog.h"
#include "platform/app/IAppControlResponseListener.h"
#include "platform/base/HashMap.h"

namespace Vx::App {

using Vx::Base::String;

namespace {

// Where an answer goes; emptied when its listener is destroyed first.
struct ListenerSlot {
    IAppControlResponseListener* listener;
};

std::multimap<IAppControlResponseListener*, std::weak_ptr<ListenerSlot>>& Slots() {
    static auto* slots = new std::multimap<IAppControlResponseListener*, std::weak_ptr<ListenerSlot>>();
    return *slots;
}

std::shared_ptr<ListenerSlot> MakeSlot(IAppControlResponseListener* listener) {
    auto slot = std::make_shared<ListenerSlot>(ListenerSlot{listener});
    // Drop the entries of finished calls while here.
    for (auto it = Slots().begin(); it != Slots().end();)
        it = it->second.expired() ? Slots().erase(it) : std::next(it);
    Slots().emplace(listener, slot);
    return slot;
}

}  // namespace

IAppControlResponseListener::~IAppControlResponseListener() {
    auto [first, last] = Slots().equal_range(this);
    for (auto it = first; it != last; ++it) {
        if (auto slot = it->second.lock()) slot->listener = nullptr;
    }
    Slots().erase(first, last);
}

AppControl::AppControl(AppId appId, String operationId, String appName)
    : appId_(std::move(appId)), operationId_(std::move(operationId)), appName_(std::move(appName)) {}

AppControl::~AppControl() = default;

result AppControl::Start(const String* uri, const String* mimeType, const Vx::Base::Collection::IMap* extraData,
                         IAppControlResponseListener* listener) {
    AppManifest provider;
    // Looked up again: the application may have been installed or removed since.
    if (result r = AppManifestRegistry::Find(appId_.ToUtf8(), provider); r != E_SUCCESS) {
        LogAppWarning("application " + appId_.ToUtf8() + " is not installed");
        return E_OBJ_NOT_FOUND;
    }
    Ipc::RequestMessage request;
    request.callerAppId = AppContext::GetCurrent().appId;
    request.operationId = operationId_.ToUtf8();
    if (uri) request.uri = uri->ToUtf8();
    if (mimeType) request.mimeType = mimeType->ToUtf8();
    if (extraData) {
        request.extra.emplace();
        if (!ToStringMap(*extraData, *request.extra)) return E_INVALID_ARG;
    }
    AppControlCallEvents events;
    if (listener) {
        AppId appId = appId_;
        String operationId = operationId_;
        std::shared_ptr<ListenerSlot> slot = MakeSlot(listener);
        events.onStarted = [slot, appId, operationId](result r) {
            if (slot->listener) slot->listener->OnAppControlStartResponseReceived(appId, operationId, r);
        };
        events.onCompleted = [slot, appId, operationId](int value, const std::optional<Ipc::StringMap>& extra) {
            if (!slot->listener) return;
            std::unique_ptr<Vx::Base::Collection::IMap> map(extra ? ToHashMapN(*extra) : nullptr);
            slot->listener->OnAppControlCompleteResponseReceived(appId, operationId, static_cast<AppCtrlResult>(value),
                                                                 map.get());
        };
    }
    return AppControlClient::Send(provider, std::move(request), std::move(events));
}

}  // namespace Vx::App
