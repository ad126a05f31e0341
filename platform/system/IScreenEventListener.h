#pragma once

namespace Vx::System {

// Told when the device's screen is switched on or off.
class IScreenEventListener {
public:
    virtual ~IScreenEventListener() = default;
    virtual void OnScreenOn() = 0;
    virtual void OnScreenOff() = 0;
};

}  // namespace Vx::System
