#pragma once
// The title bar at the top of a form with FORM_STYLE_HEADER. The form creates
// and owns it (Form::GetHeader). Automation name: "header", text: the title.
#include "platform/ui/Color.h"
#include "platform/ui/Control.h"

namespace Vx::Ui::Controls {

class Header : public Control {
public:
    Header() = default;
    ~Header() override = default;

    // Called by the form. E_INVALID_STATE when called twice.
    result Construct();

    result SetTitleText(const Base::String& title);
    Base::String GetTitleText() const;
    result SetText(const Base::String& text) override { return SetTitleText(text); }
    Base::String GetText() const override { return GetTitleText(); }

    // Background colour of the bar.
    result SetColor(const Graphics::Color& color);
    Graphics::Color GetColor() const;
    result SetTitleTextColor(const Graphics::Color& color);
    Graphics::Color GetTitleTextColor() const;

    const char* GetTypeName() const override { return "Header"; }

private:
    Graphics::Color color_;
    Graphics::Color textColor_;
};

}  // namespace Vx::Ui::Controls
