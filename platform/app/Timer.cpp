#include "platform/app/Timer.h"

#include <QTimerEvent>

#include <new>

#include "platform/app/EventLoop.h"
#include "platform/app/TimerPrivate.h"

namespace Vx::Base::Runtime {

bool TimerPrivate::Start(int ms, bool repeat) {
    repeat_ = repeat;
    timerId_ = startTimer(ms, Qt::PreciseTimer);
    return timerId_ != 0;
}

void TimerPrivate::Stop() {
    if (timerId_ != 0) {
        killTimer(timerId_);
        timerId_ = 0;
    }
}

void TimerPrivate::Release() {
    Stop();
    owner_ = nullptr;
    if (firing_ > 0) {
        deleteLater();
    } else {
        delete this;
    }
}

void TimerPrivate::timerEvent(QTimerEvent* event) {
    if (event->timerId() != timerId_ || owner_ == nullptr) {
        return;
    }
    if (!repeat_) {
        Stop();
    }
    ++firing_;
    listener_.OnTimerExpired(*owner_);
    --firing_;
}

Timer::Timer() = default;

Timer::~Timer() {
    if (d_ != nullptr) {
        d_->Release();
    }
}

result Timer::Construct(ITimerEventListener& listener) {
    if (d_ != nullptr) {
        return E_INVALID_STATE;
    }
    Vx::App::EventLoop::EnsureApplication();
    d_ = new (std::nothrow) TimerPrivate(*this, listener);
    return d_ != nullptr ? E_SUCCESS : E_OUT_OF_MEMORY;
}

result Timer::Start(int ms) { return StartTimer(ms, false); }

result Timer::StartAsRepeatable(int ms) {
    if (ms == 0) {
        return E_INVALID_ARG;
    }
    return StartTimer(ms, true);
}

result Timer::StartTimer(int ms, bool repeat) {
    if (d_ == nullptr || d_->IsRunning()) {
        return E_INVALID_STATE;
    }
    if (ms < 0) {
        return E_INVALID_ARG;
    }
    return d_->Start(ms, repeat) ? E_SUCCESS : E_SYSTEM;
}

result Timer::Cancel() {
    if (d_ == nullptr) {
        return E_INVALID_STATE;
    }
    d_->Stop();
    return E_SUCCESS;
}

bool Timer::IsRunning() const { return d_ != nullptr && d_->IsRunning(); }

}  // namespace Vx::Base::Runtime
