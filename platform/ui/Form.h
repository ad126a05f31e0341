#pragma once
// One screen of a frame, filling it. With a title, the controls are placed
// in the client area below the title bar.
#include "platform/ui/Container.h"

namespace Vx::Ui::Controls {

enum FormStyle {
    FORM_STYLE_NORMAL = 0,
    FORM_STYLE_TITLE = 1,
};

class Form : public Container {
public:
    static constexpr int TITLE_HEIGHT = 96;

    Form() = default;
    ~Form() override = default;

    // E_INVALID_STATE when called twice; E_INVALID_ARG for an unknown style.
    result Construct(int formStyle = FORM_STYLE_NORMAL);

    // The title text (shown only with FORM_STYLE_TITLE).
    result SetTitleText(const Base::String& title);
    Base::String GetTitleText() const;
    result SetText(const Base::String& text) override { return SetTitleText(text); }
    Base::String GetText() const override { return GetTitleText(); }

    int GetFormStyle() const { return style_; }
    // Where controls go, in the form's coordinates.
    Graphics::Rectangle GetClientAreaBounds() const;

    const char* GetTypeName() const override { return "Form"; }

private:
    int style_ = FORM_STYLE_NORMAL;
};

}  // namespace Vx::Ui::Controls
