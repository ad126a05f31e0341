#pragma once
// One screen of a frame, filling it. Styles (OR-ed) add an indicator strip,
// a title (FORM_STYLE_TITLE, the older plain title bar) or a header at the
// top and a footer at the bottom; controls are placed in the client area
// that remains between them.
#include <memory>

#include "platform/ui/Color.h"
#include "platform/ui/Container.h"
#include "platform/ui/IFormBackEventListener.h"
#include "platform/ui/IOrientationEventListener.h"
#include "platform/ui/Layout.h"
#include "platform/ui/ListenerList.h"

namespace Vx::Ui::Controls {

class Footer;
class Header;

enum FormStyle {
    FORM_STYLE_NORMAL = 0,
    FORM_STYLE_TITLE = 1,
    FORM_STYLE_INDICATOR = 0x2,
    FORM_STYLE_HEADER = 0x4,
    FORM_STYLE_FOOTER = 0x8,
};

class Form : public Container {
public:
    static constexpr int TITLE_HEIGHT = 96;
    static constexpr int INDICATOR_HEIGHT = 40;
    static constexpr int HEADER_HEIGHT = 96;
    static constexpr int FOOTER_HEIGHT = 98;

    Form();
    ~Form() override;

    // E_INVALID_STATE when called twice; E_INVALID_ARG for an unknown style
    // bit or for a title together with a header.
    result Construct(int formStyle = FORM_STYLE_NORMAL);
    // With a layout that places the controls of the client area (not owned;
    // it must live as long as the form). E_INVALID_STATE for a layout that
    // another container uses.
    result Construct(Vx::Ui::Layout& layout, int formStyle);
    Vx::Ui::Layout* GetLayout() const { return layout_; }

    // The title text (shown with FORM_STYLE_TITLE; with a header it is the header's title).
    result SetTitleText(const Base::String& title);
    Base::String GetTitleText() const;
    result SetText(const Base::String& text) override { return SetTitleText(text); }
    Base::String GetText() const override { return GetTitleText(); }

    int GetFormStyle() const { return style_; }
    // Where controls go, in the form's coordinates.
    Graphics::Rectangle GetClientAreaBounds() const;

    // Null without FORM_STYLE_HEADER / FORM_STYLE_FOOTER. Owned by the form.
    Header* GetHeader() const;
    Footer* GetFooter() const;

    // Not owned; null removes it. Without a listener the back button does nothing.
    void SetFormBackEventListener(IFormBackEventListener* listener);
    IFormBackEventListener* GetFormBackEventListener() const { return backListener_; }
    // E_INVALID_STATE before Construct.
    result SetBackgroundColor(const Graphics::Color& color);
    Graphics::Color GetBackgroundColor() const { return background_; }

    // Always portrait on the stand-in screen.
    OrientationStatus GetOrientationStatus() const { return orientation_; }
    // Turns the form (the stand-in's screen never turns by itself); the
    // orientation listeners hear a change. E_INVALID_ARG for NONE or an unknown value.
    result SetOrientationStatus(OrientationStatus status);
    void AddOrientationEventListener(Vx::Ui::IOrientationEventListener& listener);
    void RemoveOrientationEventListener(Vx::Ui::IOrientationEventListener& listener);

    const char* GetTypeName() const override { return "Form"; }

    // For the footer's back button and the back key (Escape on the stand-in).
    void RequestBack();

private:
    int style_ = FORM_STYLE_NORMAL;
    std::unique_ptr<Header> header_;
    std::unique_ptr<Footer> footer_;
    IFormBackEventListener* backListener_ = nullptr;
    Vx::Ui::Layout* layout_ = nullptr;
    Graphics::Color background_{255, 255, 255};
    ListenerList<Vx::Ui::IOrientationEventListener> orientationListeners_;
    OrientationStatus orientation_ = ORIENTATION_STATUS_PORTRAIT;
};

}  // namespace Vx::Ui::Controls
