#pragma once
// A panel whose content scrolls vertically when it is taller than the panel:
// the content area is as high as its lowest control (or the panel, if higher).
#include "platform/ui/Panel.h"

namespace Vx::Ui::Controls {

class ScrollPanel : public Panel {
public:
    ScrollPanel() = default;
    ~ScrollPanel() override = default;

    result Construct(const Graphics::Rectangle& rect, GroupStyle groupStyle = GROUP_STYLE_NONE);
    result Construct(Vx::Ui::Layout& layout, const Graphics::Rectangle& rect, GroupStyle groupStyle = GROUP_STYLE_NONE);

    result AddControl(Control* control) override;
    // Scrolled distance from the top.
    int GetScrollPosition() const;
    result SetScrollPosition(int position);
    // Fits the content area to the controls again (after they moved or grew).
    result UpdateContentSize();

    const char* GetTypeName() const override { return "ScrollPanel"; }
};

}  // namespace Vx::Ui::Controls
