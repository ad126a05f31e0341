#pragma once
// A one-shot or repeating timer whose expiry is delivered on the main event loop.
#include "platform/app/ITimerEventListener.h"
#include "platform/base/Object.h"
#include "platform/base/Result.h"

namespace Vx::Base::Runtime {

class TimerPrivate;

class Timer : public Object {
public:
    Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    ~Timer() override;

    // The listener must outlive the timer or delete it first. Second call: E_INVALID_STATE.
    result Construct(ITimerEventListener& listener);

    // Expires once after ms milliseconds (0: on the next pass of the loop).
    // E_INVALID_STATE when not constructed or already running; E_INVALID_ARG for ms < 0.
    result Start(int ms);
    // Expires every ms milliseconds until cancelled. Same failures as Start; ms must be > 0.
    result StartAsRepeatable(int ms);
    // Stops the timer; no expiry arrives after it. Harmless when not running.
    result Cancel();

    bool IsRunning() const;

private:
    result StartTimer(int ms, bool repeat);

    TimerPrivate* d_ = nullptr;
};

}  // namespace Vx::Base::Runtime
