#pragma once
#include "platform/app/AppTypes.h"
#include "platform/base/IMap.h"

namespace Vx::App {

class IAppControlResponseListener;

// One operation of one installed application, found with
// AppManager::FindAppControlN. The object can be deleted right after Start:
// the request goes on without it.
class AppControl {
public:
    AppControl(const AppControl&) = delete;
    AppControl& operator=(const AppControl&) = delete;
    ~AppControl();

    // Sends the request, launching the application when it is not running.
    // E_SUCCESS when the request is on its way (the answer then always
    // arrives through `listener`, if one is given); E_INVALID_ARG when the
    // extra data holds anything but strings; E_OUT_OF_RANGE when the request
    // is too large to send; E_OBJ_NOT_FOUND when the
    // application's executable is missing; E_INVALID_STATE without a core
    // application (event loop).
    result Start(const Vx::Base::String* uri, const Vx::Base::String* mimeType,
                 const Vx::Base::Collection::IMap* extraData, IAppControlResponseListener* listener);

    AppId GetAppId() const { return appId_; }
    Vx::Base::String GetOperationId() const { return operationId_; }
    Vx::Base::String GetAppName() const { return appName_; }

private:
    friend class AppManager;
    AppControl(AppId appId, Vx::Base::String operationId, Vx::Base::String appName);

    AppId appId_;
    Vx::Base::String operationId_;
    Vx::Base::String appName_;
};

}  // namespace Vx::App
