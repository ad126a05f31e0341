#pragma once
// The title row of a group in a grouped list view. It is not selectable.
#include "platform/ui/ListItemBase.h"

namespace Vx::Ui::Controls {

class GroupItem : public ListItemBase {
public:
    static constexpr int DEFAULT_TEXT_SIZE = 28;

    GroupItem() = default;
    ~GroupItem() override = default;

    result Construct(const Graphics::Dimension& size);
    // The title, drawn from the left edge with a small margin. E_INVALID_STATE before Construct.
    result SetElement(const Base::String& text);
    // E_INVALID_ARG below 1.
    result SetTextSize(int size);
    int GetTextSize() const;
    result SetTextColor(const Graphics::Color& color);

    const char* GetTypeName() const override { return "GroupItem"; }
};

}  // namespace Vx::Ui::Controls
