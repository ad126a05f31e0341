#pragma once
// Drives the web popup: loads its page when the popup's window comes up and
// closes the popup on its close action.
#include "platform/base/String.h"
#include "platform/ui/IActionEventListener.h"
#include "platform/ui/IWindowEventListener.h"

namespace Vx::Ui::Controls {
class Popup;
class Web;
}  // namespace Vx::Ui::Controls

class WebPopupListener : public Vx::Ui::IActionEventListener, public Vx::Ui::IWindowEventListener {
public:
    WebPopupListener() = default;
    ~WebPopupListener() override;

    // Binds popup, web control (neither owned), url and the close action id
    // and listens to the popup's window; E_INVALID_ARG (nothing changed)
    // without popup or web control or with an empty url.
    Vx::result Construct(Vx::Ui::Controls::Popup* popup, Vx::Ui::Controls::Web* web, const Vx::Base::String& url,
                         int closeActionId);

    void OnWindowActivated(const Vx::Ui::Controls::Window& source) override;
    void OnWindowDeactivated(const Vx::Ui::Controls::Window& source) override;
    void OnActionPerformed(const Vx::Ui::Control& source, int actionId) override;

    int GetCloseActionId() const { return closeActionId_; }

private:
    Vx::Base::String url_;
    Vx::Ui::Controls::Web* web_ = nullptr;
    Vx::Ui::Controls::Popup* popup_ = nullptr;
    int closeActionId_ = -1;
};
