#pragma once
// The process's main event loop. Every platform event (HTTP transactions,
// timers, application control, UI) is delivered from here, on one thread.
#include <functional>

namespace Vx::App {

class EventLoop {
public:
    EventLoop() = delete;

    // Creates the process's core application object when none exists yet
    // (tests and command-line tools); an existing one (a UI application) is kept.
    static void EnsureApplication();

    // Runs the loop until Quit(). A Run() inside a callback starts a nested loop
    // that the next Quit() ends. A Quit() made while no Run() loop runs (only
    // RunUntil, or nothing) makes the next Run() return at once, so an early
    // request to stop is not lost.
    static int Run();
    static void Quit(int exitCode = 0);

    // Runs the loop until done() is true or timeoutMs have passed; returns done().
    static bool RunUntil(const std::function<bool()>& done, int timeoutMs);

    // Delivers the events that are already waiting, then returns.
    static void ProcessEvents();

    // Number of event loops running right now on this thread (0 when none).
    static int GetDepth();
};

}  // namespace Vx::App
