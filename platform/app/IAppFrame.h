#pragma once
#include "platform/base/Result.h"

namespace Vx::App {

// A top-level window of a UI application, as the application sees it. The
// windowing layer's frames implement it; UiApp owns a frame once added.
class IAppFrame {
public:
    virtual ~IAppFrame() = default;
    // The frame was added to the application: show it and initialise it.
    virtual result OnAppFrameAdded() = 0;
    // The application is ending: last chance to answer or save.
    virtual void OnAppFrameRemoving() = 0;
};

}  // namespace Vx::App
