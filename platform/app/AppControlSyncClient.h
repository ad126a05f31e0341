#pragma once
// The calling side of application control for a program without an event
// loop: one request, waited for in place. Plain POSIX, so that a command-line
// caller (appctl) starts without loading Qt. Same rules as the event-loop
// client: the provider is launched when it is not running, a request it never
// confirmed is sent again, and the answer's result is an APP_CTRL_RESULT_*.
#include <functional>
#include <optional>
#include <string>

#include "platform/app/AppControlMessages.h"
#include "platform/app/AppManifest.h"
#include "platform/app/AppTypes.h"
#include "platform/base/Result.h"

namespace Vx::App {

class AppControlSyncClient {
public:
    struct Answer {
        int appControlResult = APP_CTRL_RESULT_ABORTED;  // until answered
        std::optional<Ipc::StringMap> extra;
    };
    // Called about four times a second while waiting, with the seconds waited.
    using WaitingHandler = std::function<void(double waitedSec)>;

    // E_SUCCESS with `answer` set (an undeliverable request or a provider that
    // ended without answering are answers too: ABORTED, TERMINATED);
    // E_TIMEOUT when nothing came within `timeoutMs`; otherwise the request
    // was not sent (E_OBJ_NOT_FOUND: the executable is missing, E_OUT_OF_RANGE:
    // too large, E_IO / E_PERMISSION_DENIED: unusable socket folder or log).
    static result Call(const AppManifest& provider, Ipc::RequestMessage request, int timeoutMs,
                       const WaitingHandler& onWaiting, Answer& answer);

    // Sends a one-way message to every running application of this platform home but one.
    static result Broadcast(const Ipc::Message& message, const std::string& exceptAppId);
};

}  // namespace Vx::App
