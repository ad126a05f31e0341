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

    // The caller of a request not yet answered went away (it ended or closed
    // its connection): no answer can reach it, so the work for it can stop.
    // Answering it afterwards gives E_CONNECTION_FAILED.
    virtual void OnAppControlRequestAbandoned(RequestId /*reqId*/) {}
};

}  // namespace Vx::App
