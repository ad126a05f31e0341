#include "platform/ui/FooterItem.h"

namespace Vx::Ui::Controls {

result FooterItem::Construct(int actionId) {
    if (IsConstructed()) return E_INVALID_STATE;
    if (actionId < 0) return E_INVALID_ARG;
    actionId_ = actionId;
    return E_SUCCESS;
}

result FooterItem::SetText(const Base::String& text) {
    text_ = text;
    return E_SUCCESS;
}

}  // namespace Vx::Ui::Controls
