#pragma once
// Starting an application for an application-control caller, and the
// launched application's word back that it listens. Plain POSIX, so that a
// caller without an event loop (appctl) needs no Qt at all.
//
// The launched process is the caller's own child, in a session of its own; it
// gets the write end of a socket pair as descriptor kReadyFd (named in
// IAP_APP_READY_FD). It writes one byte there once it listens; the caller sees
// end of file instead when it ended before that. Callers wait on the other end
// rather than polling for the application's socket.
#include <sys/types.h>

#include "platform/app/AppManifest.h"
#include "platform/base/Result.h"

namespace Vx::App {

class AppLauncher {
public:
    struct Launched {
        pid_t pid = -1;
        // Readable once the application listens or has ended; the caller closes it.
        int readyFd = -1;
        // When the process started (clock ticks since boot), to tell it from a
        // later process given the same id; 0 when unknown.
        unsigned long long startTime = 0;
    };
    enum class Readiness { Waiting, Listening, Ended };

    // Starts the application with its output appended to its log in the
    // platform home. E_OBJ_NOT_FOUND when the executable is missing,
    // E_PERMISSION_DENIED when the log cannot be written, E_SYSTEM when the
    // process cannot be started (each logged).
    static result Launch(const AppManifest& provider, Launched& out);
    // What the application said on `readyFd`, without blocking.
    static Readiness ReadReadiness(int readyFd);
    // True once a launched process has ended (and collects it: launched
    // processes are this process's children); for other ids, whether the id is unused.
    static bool HasEnded(pid_t pid);
    // Collects every launched process that has ended.
    static void CollectEnded();
    // Ends a launched process that never listened, unless its id names another process by now.
    static void EndNeverListened(const Launched& launched, const std::string& appId);

    // How long a caller waits for a launched application to listen:
    // $IAP_APP_LAUNCH_TIMEOUT_MS, 20 s by default.
    static int GetLaunchTimeoutMs();

    // The application side: says "listening" to the caller that launched this
    // process, once; nothing when this process was not launched that way.
    static void SignalListening();

    static constexpr int kReadyFd = 3;
};

}  // namespace Vx::App
