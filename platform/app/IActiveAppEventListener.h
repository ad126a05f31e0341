#pragma once
#include "platform/app/AppTypes.h"

namespace Vx::App {

// Told whenever another application comes to the foreground.
class IActiveAppEventListener {
public:
    virtual ~IActiveAppEventListener() = default;
    virtual void OnActiveAppChanged(const AppId& appId) = 0;
};

}  // namespace Vx::App
