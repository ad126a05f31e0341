#pragma once
// The UI automation channel: a test or tool drives the windows of a running
// application. Enabled only when the application starts with
// IAP_UI_AUTOMATION=1. The application listens on a local socket in the
// user's private (0700) application-socket folder of its platform home:
// <folder>/ui/<appId> (a hashed name when the path would pass 107 bytes).
// Connections from another user are refused. Every message, both ways:
//   u32 length (big-endian, 1 .. kMaxMessageBytes) | UTF-8 JSON object
//
//   request                                          reply (besides "ok": true)
//   {"command":"list"}                               "window": name, "scene": the current scene id (empty
//                                                     without scenes), "controls": [{"name","type","text",
//                                                     "enabled","visible","focused"}] (text of a password
//                                                     or sensitive field is masked; check buttons
//                                                     add "checked")
//   {"command":"type","name":N,"text":T}             the field's content is replaced by T, as typed
//   {"command":"press","name":N}                     the button is pressed right after the reply
//   {"command":"wait","name":N,"timeoutMs":ms}       sent once a control named N is visible
//   {"command":"close"}                              the active window is closed as by the user
//   {"command":"screenshot"}                         "png": the active window drawn as PNG, base64
//
// A failure replies {"ok":false,"code":C,"error":text} with C one of the
// codes below. A malformed frame gets a "bad_request" reply and the
// connection is closed. Commands act on the active window: the modal popup
// if one is open, else the frame most recently activated.
#include <cstddef>
#include <string>

#include "platform/base/Result.h"

namespace Vx::Ui::Automation {

constexpr const char* kEnableEnv = "IAP_UI_AUTOMATION";
constexpr std::size_t kMaxMessageBytes = 1024 * 1024;
constexpr int kDefaultWaitMs = 10000;
constexpr int kMaxWaitMs = 600000;

constexpr const char* kCodeBadRequest = "bad_request";
constexpr const char* kCodeNoWindow = "no_window";
constexpr const char* kCodeNotFound = "not_found";
constexpr const char* kCodeDisabled = "disabled";
constexpr const char* kCodeWrongType = "wrong_type";
constexpr const char* kCodeRejected = "rejected";
constexpr const char* kCodeTimeout = "timeout";

// True when IAP_UI_AUTOMATION is "1".
bool IsEnabledByEnvironment();
// The socket path of an application; E_PERMISSION_DENIED or E_IO (with `error`) when the private folder is unusable.
result GetSocketPath(const std::string& appId, std::string& path, std::string& error);

// Result values of the client for the failure codes above.
result ResultFromCode(const std::string& code);

}  // namespace Vx::Ui::Automation
