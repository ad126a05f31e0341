#include "platform/app/AppControl.h"

#include "platform/app/AppContextPrivate.h"
#include "platform/app/AppControlClientPrivate.h"
#include "platform/app/AppControlProviderManagerPrivate.h"
#include "platform/app/AppLog.h"
#include "platform/app/IAppControlResponseListener.h"
#include "platform/base/HashMap.h"

namespace Vx::App {

using Vx::Base::String;

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
        events.onStarted = [listener, appId, operationId](result r) {
            listener->OnAppControlStartResponseReceived(appId, operationId, r);
        };
        events.onCompleted = [listener, appId, operationId](int value, const std::optional<Ipc::StringMap>& extra) {
            std::unique_ptr<Vx::Base::Collection::IMap> map(extra ? ToHashMapN(*extra) : nullptr);
            listener->OnAppControlCompleteResponseReceived(appId, operationId, static_cast<AppCtrlResult>(value),
                                                           map.get());
        };
    }
    return AppControlClient::Send(provider, std::move(request), std::move(events));
}

}  // namespace Vx::App
