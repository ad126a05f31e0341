#pragma once
#include <QObject>

#include "platform/app/Timer.h"

namespace Vx::Base::Runtime {

class TimerPrivate : public QObject {
public:
    TimerPrivate(Timer& owner, ITimerEventListener& listener) : owner_(&owner), listener_(listener) {}

    bool Start(int ms, bool repeat);
    void Stop();
    bool IsRunning() const { return timerId_ != 0; }
    // Called by the owner's destructor. While the listener runs, this object
    // must outlive the call, so it is freed later instead of at once.
    void Release();

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    Timer* owner_;
    ITimerEventListener& listener_;
    int timerId_ = 0;
    bool repeat_ = false;
    int firing_ = 0;
};

}  // namespace Vx::Base::Runtime
