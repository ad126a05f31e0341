#include "platform/ui/Animation.h"

#include <QPainter>
#include <QTimer>
#include <vector>

#include "platform/ui/AnimationFrame.h"
#include "platform/ui/BitmapPrivate.h"
#include "platform/ui/ControlPrivate.h"

namespace Vx::Ui::Controls {

class AnimationPrivate {
public:
    std::vector<std::unique_ptr<AnimationFrame>> frames;
    int repeatCount = 1;
    int played = 0;  // whole sequences played in this run
    int current = 0;
    AnimationStatus status = ANIMATION_STOPPED;
    QTimer timer;
};

namespace {

class AnimationWidget : public QWidget {
public:
    explicit AnimationWidget(AnimationPrivate& a) : a_(a) {}

protected:
    void paintEvent(QPaintEvent*) override {
        if (a_.frames.empty()) return;
        const AnimationFrame& frame = *a_.frames[static_cast<std::size_t>(a_.current)];
        if (!frame.GetFrame()) return;  // a blank frame
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        frame.GetFrame()->GetPrivate().Draw(painter, rect());
    }

private:
    AnimationPrivate& a_;
};

}  // namespace

Animation::Animation() : a_(std::make_unique<AnimationPrivate>()) {}

Animation::~Animation() { a_->timer.stop(); }

result Animation::Construct(const Graphics::Rectangle& rect, Base::Collection::ArrayList& animationFrames) {
    if (IsConstructed()) return E_INVALID_STATE;
    if (rect.width < 0 || rect.height < 0 || animationFrames.GetCount() == 0) return E_INVALID_ARG;
    std::vector<AnimationFrame*> given;
    for (int i = 0; i < animationFrames.GetCount(); ++i) {
        auto* frame = dynamic_cast<AnimationFrame*>(animationFrames.GetAt(i));
        if (!frame) return E_INVALID_ARG;
        given.push_back(frame);
    }
    // The frames are the animation's now: copied, and the given ones deleted
    // (by the list when it owns them, else here).
    for (AnimationFrame* frame : given) {
        auto copy = std::make_unique<AnimationFrame>();
        if (frame->GetFrame()) copy->SetFrame(*frame->GetFrame());
        copy->SetDuration(frame->GetDuration());
        a_->frames.push_back(std::move(copy));
    }
    bool listOwns = animationFrames.GetOwnership() == Base::Collection::ElementOwnership::Owned;
    animationFrames.RemoveAll();
    if (!listOwns) {
        for (AnimationFrame* frame : given)
            delete frame;
    }
    auto* widget = new AnimationWidget(*a_);
    widget->setGeometry(rect.x, rect.y, rect.width, rect.height);
    a_->timer.setSingleShot(true);
    QObject::connect(&a_->timer, &QTimer::timeout, widget, [this] {
        AnimationPrivate& a = *a_;
        int next = a.current + 1;
        if (next >= static_cast<int>(a.frames.size())) {
            next = 0;
            if (++a.played >= a.repeatCount) {
                a.status = ANIMATION_STOPPED;
                a.current = 0;
                if (GetPrivate().widget) GetPrivate().widget->update();
                return;
            }
        }
        a.current = next;
        if (GetPrivate().widget) GetPrivate().widget->update();
        a.timer.start(static_cast<int>(std::max(1L, a.frames[static_cast<std::size_t>(next)]->GetDuration())));
    });
    GetPrivate().Attach(widget);
    return E_SUCCESS;
}

result Animation::SetRepeatCount(int count) {
    if (count < 1) return E_INVALID_ARG;
    a_->repeatCount = count;
    return E_SUCCESS;
}

int Animation::GetRepeatCount() const { return a_->repeatCount; }

result Animation::Play() {
    if (!IsConstructed()) return E_INVALID_STATE;
    if (a_->status == ANIMATION_PLAYING) return E_SUCCESS;
    if (a_->status == ANIMATION_STOPPED) {
        a_->current = 0;
        a_->played = 0;
    }
    a_->status = ANIMATION_PLAYING;
    a_->timer.start(static_cast<int>(std::max(1L, a_->frames[static_cast<std::size_t>(a_->current)]->GetDuration())));
    GetPrivate().widget->update();
    return E_SUCCESS;
}

result Animation::Stop() {
    if (!IsConstructed()) return E_INVALID_STATE;
    a_->timer.stop();
    a_->status = ANIMATION_STOPPED;
    a_->current = 0;
    GetPrivate().widget->update();
    return E_SUCCESS;
}

result Animation::Pause() {
    if (!IsConstructed()) return E_INVALID_STATE;
    if (a_->status != ANIMATION_PLAYING) return E_SUCCESS;
    a_->timer.stop();
    a_->status = ANIMATION_PAUSED;
    return E_SUCCESS;
}

AnimationStatus Animation::GetStatus() const { return a_->status; }

int Animation::GetFrameCount() const { return static_cast<int>(a_->frames.size()); }

int Animation::GetCurrentFrameIndex() const { return a_->current; }

const AnimationFrame* Animation::GetFrameAt(int index) const {
    return index >= 0 && index < GetFrameCount() ? a_->frames[static_cast<std::size_t>(index)].get() : nullptr;
}

}  // namespace Vx::Ui::Controls
