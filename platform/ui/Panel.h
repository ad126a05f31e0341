#pragma once
// A plain container of controls, optionally laid out by a layout and drawn
// with a group style and a background colour.
#include "platform/ui/Color.h"
#include "platform/ui/Container.h"
#include "platform/ui/GroupStyle.h"
#include "platform/ui/Layout.h"

namespace Vx::Ui::Controls {

class Panel : public Container {
public:
    Panel() = default;
    ~Panel() override;

    // E_INVALID_ARG for a negative size or an unknown group style; E_INVALID_STATE when called twice.
    result Construct(const Graphics::Rectangle& rect, GroupStyle groupStyle = GROUP_STYLE_NONE);
    // With a layout that places the panel's controls (not owned; it must live
    // as long as the panel). E_INVALID_STATE for a layout another container uses.
    result Construct(Vx::Ui::Layout& layout, const Graphics::Rectangle& rect, GroupStyle groupStyle = GROUP_STYLE_NONE);
    Vx::Ui::Layout* GetLayout() const { return layout_; }

    // Transparent (alpha 0) until set.
    result SetBackgroundColor(const Graphics::Color& color);
    Graphics::Color GetBackgroundColor() const { return background_; }
    GroupStyle GetGroupStyle() const { return groupStyle_; }
    // The area where controls go, in the panel's coordinates.
    virtual Graphics::Rectangle GetClientAreaBounds() const;

    const char* GetTypeName() const override { return "Panel"; }

protected:
    // For derived panels that make their own widget: the layout (E_INVALID_STATE
    // when another container uses it) and the group style.
    result UseLayout(Vx::Ui::Layout* layout);
    void SetGroupStyle(GroupStyle groupStyle) { groupStyle_ = groupStyle; }

private:
    Vx::Ui::Layout* layout_ = nullptr;
    Graphics::Color background_{0, 0, 0, 0};
    GroupStyle groupStyle_ = GROUP_STYLE_NONE;
};

}  // namespace Vx::Ui::Controls
