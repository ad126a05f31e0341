#pragma once
#include <memory>
#include <string>

#include "platform/app/AppTypes.h"
#include "platform/base/IMap.h"

namespace Vx::App {

class IAppControlProviderEventListener;
class AppControlProviderManagerPrivate;

// The providing side of application control: requests addressed to this
// application arrive at the registered listener; each is answered once.
class AppControlProviderManager {
public:
    static AppControlProviderManager* GetInstance();

    // Requests that arrived before a listener was set are delivered to it
    // afterwards, from the event loop. Null stops delivery.
    result SetAppControlProviderEventListener(IAppControlProviderEventListener* listener);

    // E_OBJ_NOT_FOUND for an unknown request id or one already answered;
    // E_INVALID_ARG when the map holds anything but strings; E_OUT_OF_RANGE
    // when the answer is too large to send (the request stays owed); E_CONNECTION_FAILED
    // when the caller has gone (the request then counts as answered).
    result SendAppControlResult(RequestId reqId, AppCtrlResult appControlResult,
                                const Vx::Base::Collection::IMap* extraData);

    // The id of the application that sent the request; E_OBJ_NOT_FOUND once answered.
    result GetClientAppId(RequestId reqId, Vx::Base::String& appId) const;

    // Requests received and not yet answered.
    int GetPendingRequestCount() const;

    // For the application runtime.
    AppControlProviderManagerPrivate& GetPrivate() { return *d_; }

private:
    AppControlProviderManager();
    ~AppControlProviderManager();
    std::unique_ptr<AppControlProviderManagerPrivate> d_;
};

}  // namespace Vx::App
