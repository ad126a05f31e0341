#pragma once
// One button of a form's footer, described by value and added with Footer::AddItem.
#include "platform/base/Result.h"
#include "platform/base/String.h"

namespace Vx::Ui::Controls {

class FooterItem {
public:
    FooterItem() = default;

    // E_INVALID_STATE when called twice; E_INVALID_ARG for a negative action id.
    result Construct(int actionId);
    result SetText(const Base::String& text);

    int GetActionId() const { return actionId_; }
    Base::String GetText() const { return text_; }
    bool IsConstructed() const { return actionId_ >= 0; }

private:
    int actionId_ = -1;
    Base::String text_;
};

}  // namespace Vx::Ui::Controls
