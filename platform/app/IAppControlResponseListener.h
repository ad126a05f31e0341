#pragma once
#include "platform/app/AppTypes.h"
#include "platform/base/IMap.h"

namespace Vx::App {

// Receives the answer to a request started with AppControl::Start, on the
// main event loop, never inside Start itself.
class IAppControlResponseListener {
public:
    // A listener that goes away is forgotten: answers still on their way for it are dropped.
    virtual ~IAppControlResponseListener();

    // Once the provider has the request (E_SUCCESS), or once it is clear that
    // it never will (the failure). A failure is followed by the complete
    // response with APP_CTRL_RESULT_ABORTED.
    virtual void OnAppControlStartResponseReceived(const AppId& /*appId*/, const Vx::Base::String& /*operationId*/,
                                                   result /*r*/) {}

    // The answer. `extraData` is null when the provider sent no map; it is
    // freed after the call returns.
    virtual void OnAppControlCompleteResponseReceived(const AppId& appId, const Vx::Base::String& operationId,
                                                      AppCtrlResult appControlResult,
                                                      const Vx::Base::Collection::IMap* extraData) = 0;
};

}  // namespace Vx::App
