#pragma once
#include "platform/app/AppTypes.h"

namespace Vx::App {

// Told whenever another application comes to the foreground.
class IActiveAppEventListener {
public:
    // Removes itself from the application manager.
    virtual ~IActiveAppEventListener();
    virtual void OnActiveAppChanged(const AppId& appId) = 0;
};

}  // namespace Vx::App
