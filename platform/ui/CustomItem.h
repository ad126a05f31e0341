#pragma once
// A list item laid out by its caller: text elements placed anywhere in the
// row, each known by an id.
#include "platform/ui/ListItemBase.h"

namespace Vx::Ui::Controls {

class CustomItem : public ListItemBase {
public:
    CustomItem() = default;
    ~CustomItem() override = default;

    result Construct(const Graphics::Dimension& size, ListAnnexStyle annex = LIST_ANNEX_STYLE_NORMAL);

    // Text drawn left aligned and vertically centred in `rect` (row coordinates).
    // E_INVALID_ARG for a negative size or a text size below 1; E_OBJ_ALREADY_EXIST
    // for an id already used; E_INVALID_STATE before Construct.
    result AddElement(const Graphics::Rectangle& rect, int elementId, const Base::String& text, int textSize,
                      const Graphics::Color& normalTextColor, const Graphics::Color& pressedTextColor,
                      const Graphics::Color& highlightedTextColor);
    // Empty for an unknown id.
    Base::String GetElementText(int elementId) const;
    int GetElementCount() const;

    const char* GetTypeName() const override { return "CustomItem"; }
};

}  // namespace Vx::Ui::Controls
