#pragma once
// A modal popup whose confirm and cancel buttons report to the popup, which
// passes them on to its listener.
#include "platform/ui/IActionEventListener.h"
#include "platform/ui/Popup.h"

class PopupBase : public Vx::Ui::Controls::Popup, public Vx::Ui::IActionEventListener {
public:
    PopupBase() = default;
    ~PopupBase() override = default;

    // `listener` is not owned and may be null (then actions go nowhere).
    Vx::result Construct(Vx::Ui::IActionEventListener* listener, bool hasTitle, const Vx::Graphics::Dimension& size);
    void PopupShow();
    void PopupHide();
    // Passes the login popup's OK (10001) and Cancel (10002) on; ignores the rest.
    void OnActionPerformed(const Vx::Ui::Control& source, int actionId) override;

protected:
    // Adds a button that reports `actionId` to this popup.
    Vx::result AddButton(const Vx::Base::String& name, const Vx::Graphics::Rectangle& bounds,
                         const Vx::Base::String& text, int actionId);
    void Forward(const Vx::Ui::Control& source, int actionId);
    Vx::Ui::IActionEventListener* GetListener() const { return listener_; }

private:
    Vx::Ui::IActionEventListener* listener_ = nullptr;
};
