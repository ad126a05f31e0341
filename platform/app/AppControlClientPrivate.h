#pragma once
// The calling side of application control: a small typed client that finds
// or launches the providing application, sends one request and reports the
// answer. Callers never see frames.
#include <functional>
#include <optional>
#include <string>

#include "platform/app/AppControlMessages.h"
#include "platform/app/AppManifest.h"
#include "platform/base/Result.h"

namespace Vx::App {

struct AppControlCallEvents {
    // Once: the provider has the request (E_SUCCESS) or never will (a failure).
    std::function<void(result)> onStarted;
    // Once, always last: the result (APP_CTRL_RESULT_*) and the extra data.
    std::function<void(int appControlResult, const std::optional<Ipc::StringMap>& extra)> onCompleted;
};

class AppControlClient {
public:
    // The request goes on in the background; events arrive on the event loop,
    // never inside Send. E_OBJ_NOT_FOUND when the application would have to
    // be launched and its executable is missing; E_INVALID_STATE without a
    // core application; E_IO when the socket folder is unusable.
    static result Send(const AppManifest& provider, Ipc::RequestMessage request, AppControlCallEvents events);

    // Sends a one-way message to every application of this platform home that is running.
    static result Broadcast(const Ipc::Message& message, const std::string& exceptAppId);

    // Calls still waiting for an answer in this process.
    static int GetOpenCallCount();
};

}  // namespace Vx::App
