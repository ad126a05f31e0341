#pragma once
#include "platform/app/AppTypes.h"
#include "platform/base/IMap.h"

namespace Vx::App {

// Receives the application-control requests addressed to this application.
class IAppControlProviderEventListener {
public:
    // Unregisters itself when it is the registered listener.
    virtual ~IAppControlProviderEventListener();

    // `uri`, `mimeType` and `extraData` are null when the caller gave none;
    // all are freed after the call returns. Answer with
    // AppControlProviderManager::SendAppControlResult(requestId, ...).
    virtual void OnAppControlRequestReceived(RequestId reqId, const Vx::Base::String& operationId,
                                             const Vx::Base::String* uri, const Vx::Base::String* mimeType,
                                             const Vx::Base::Collection::IMap* extraData) = 0;
};

}  // namespace Vx::App
