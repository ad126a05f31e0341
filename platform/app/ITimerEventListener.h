#pragma once

namespace Vx::Base::Runtime {

class Timer;

// Told on the main event loop when a timer expires. The listener may start,
// cancel or delete the timer from inside the call.
class ITimerEventListener {
public:
    virtual ~ITimerEventListener() = default;
    virtual void OnTimerExpired(Timer& timer) = 0;
};

}  // namespace Vx::Base::Runtime
