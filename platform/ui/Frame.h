#pragma once
// The top-level window of an application: a phone-sized frame that shows one
// form at a time. The application adds it with UiApp::AddFrame, which takes
// it, calls OnInitializing and shows it; when the application ends, the frame
// hears OnTerminating and is deleted. Closing the last window ends the application.
#include <memory>

#include "platform/app/IAppFrame.h"
#include "platform/ui/Container.h"
#include "platform/ui/IFrameEventListener.h"

namespace Vx::Ui::Controls {

class Form;
class FramePrivate;

class Frame : public Container, public App::IAppFrame {
public:
    // Logical size of the phone screen that frames fill.
    static constexpr int SCREEN_WIDTH = 720;
    static constexpr int SCREEN_HEIGHT = 1280;

    Frame();
    ~Frame() override;

    // Creates the (hidden) window. E_INVALID_STATE when called twice.
    result Construct();

    // Only forms can be added; the first one becomes the current form.
    result AddControl(Control* control) override;
    result RemoveControl(Control* control) override;
    // Shows `form` (a form of this frame) and hides the others.
    result SetCurrentForm(Form* form);
    Form* GetCurrentForm() const;

    // The window title.
    result SetText(const Base::String& text) override;
    Base::String GetText() const override;

    result AddFrameEventListener(IFrameEventListener& listener);
    result RemoveFrameEventListener(IFrameEventListener& listener);

    // Shows the window on top of the others and makes it the active frame.
    result Activate();
    // Closes the window as the user would; listeners hear OnFrameTerminating.
    result Close();

    // The frame the user sees: the one most recently activated among those shown; null when none.
    static Frame* GetActiveFrame();

    const char* GetTypeName() const override { return "Frame"; }

    FramePrivate& GetFramePrivate() const { return *f_; }

    // For the application: OnInitializing, then Activate.
    result OnAppFrameAdded() override;
    // For the application: OnTerminating; the application deletes the frame next.
    void OnAppFrameRemoving() override;

private:
    std::unique_ptr<FramePrivate> f_;
};

}  // namespace Vx::Ui::Controls
