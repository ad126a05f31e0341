#pragma once

namespace Vx::Ui::Controls {

class Frame;

// Window-level events of a frame.
class IFrameEventListener {
public:
    virtual ~IFrameEventListener() = default;
    // The user closed the window (or the platform is closing it). The frame still exists.
    virtual void OnFrameTerminating(const Frame& source) = 0;
    virtual void OnFrameActivated(const Frame&) {}
    virtual void OnFrameDeactivated(const Frame&) {}
};

}  // namespace Vx::Ui::Controls
