#pragma once
// Who this process is: the application id, version and resources of the
// running program. A launcher passes the id in IAP_APP_ID; a program
// started by hand is looked up by its executable path, and a program with no
// manifest (a tool, a test) is known by its file name.
#include <string>

#include "platform/app/AppManifest.h"

namespace Vx::App {

class AppContext {
public:
    static const AppManifest& GetCurrent();
    // True when an application-control caller started this process and
    // its first request is on the way.
    static bool IsLaunchedByAppControl();
    // Name used in log lines (does not resolve the manifest).
    static std::string GetLogName();
    // Forgets the resolved identity (tests that change the environment).
    static void Reset();
};

// Environment variables between a launcher and the launched application.
constexpr const char* kAppIdEnv = "IAP_APP_ID";
constexpr const char* kLaunchedEnv = "IAP_APPCONTROL_LAUNCH";

}  // namespace Vx::App
