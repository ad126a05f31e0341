#pragma once
// Ends a popup's modal loop with the id of the action that reached it, so
// that DoModal returns which button was pressed.
#include "platform/base/Result.h"
#include "platform/ui/IActionEventListener.h"

namespace Vx::Ui::Controls {
class Popup;
}

class EndModalWithActionListener : public Vx::Ui::IActionEventListener {
public:
    EndModalWithActionListener() = default;
    ~EndModalWithActionListener() override = default;

    // Keeps the popup (not owned) when one is given; E_INVALID_ARG otherwise.
    Vx::result Construct(Vx::Ui::Controls::Popup* popup);
    void OnActionPerformed(const Vx::Ui::Control& source, int actionId) override;

private:
    Vx::Ui::Controls::Popup* popup_ = nullptr;
};
