#pragma once
// A push button: its action id goes to every action listener when pressed.
#include "platform/ui/Control.h"
#include "platform/ui/IActionEventListener.h"
#include "platform/ui/ListenerList.h"

namespace Vx::Ui::Controls {

class Button : public Control {
public:
    Button() = default;
    ~Button() override = default;

    result Construct(const Graphics::Rectangle& rect, const Base::String& text = Base::String());

    result SetText(const Base::String& text) override;
    Base::String GetText() const override;

    void SetActionId(int actionId) { actionId_ = actionId; }
    int GetActionId() const { return actionId_; }
    // E_OBJ_ALREADY_EXIST for a listener added twice.
    result AddActionEventListener(IActionEventListener& listener);
    // E_OBJ_NOT_FOUND for a listener never added.
    result RemoveActionEventListener(IActionEventListener& listener);

    const char* GetTypeName() const override { return "Button"; }

private:
    void FireAction();

    int actionId_ = -1;
    ListenerList<IActionEventListener> listeners_;
};

}  // namespace Vx::Ui::Controls
