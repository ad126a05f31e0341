#pragma once
// A push button: its action id goes to every action listener when pressed.
#include <memory>

#include "platform/ui/Color.h"
#include "platform/ui/Control.h"
#include "platform/ui/IActionEventListener.h"
#include "platform/ui/Label.h"
#include "platform/ui/ListenerList.h"

namespace Vx::Graphics {
class Bitmap;
}

namespace Vx::Ui::Controls {

enum ButtonStatus {
    BUTTON_STATUS_NORMAL = 0,
    BUTTON_STATUS_DISABLED = 1,
    BUTTON_STATUS_PRESSED = 2,
    BUTTON_STATUS_HIGHLIGHTED = 3,
};

class ButtonPrivate;

class Button : public Control {
public:
    static constexpr int DEFAULT_TEXT_SIZE = 32;

    Button();
    ~Button() override;

    result Construct(const Graphics::Rectangle& rect, const Base::String& text = Base::String());

    result SetText(const Base::String& text) override;
    Base::String GetText() const override;

    // Pixel size above 0; E_INVALID_ARG otherwise.
    result SetTextSize(int size);
    int GetTextSize() const;
    result SetTextHorizontalAlignment(HorizontalAlignment alignment);
    HorizontalAlignment GetTextHorizontalAlignment() const;
    result SetTextVerticalAlignment(VerticalAlignment alignment);
    VerticalAlignment GetTextVerticalAlignment() const;

    // Background colour per state.
    result SetColor(ButtonStatus status, const Graphics::Color& color);
    Graphics::Color GetColor(ButtonStatus status) const;
    // Text colour in the normal state, and while pressed.
    result SetTextColor(const Graphics::Color& color);
    Graphics::Color GetTextColor() const;
    result SetPressedTextColor(const Graphics::Color& color);
    Graphics::Color GetPressedTextColor() const;

    // A picture drawn at `position` (in the button) in the normal / pressed
    // state; the button keeps a copy. A bitmap never constructed is refused.
    result SetNormalBitmap(const Graphics::Point& position, const Graphics::Bitmap& bitmap);
    result SetPressedBitmap(const Graphics::Point& position, const Graphics::Bitmap& bitmap);
    // A picture stretched over the whole button (nine-patch by its marks).
    result SetNormalBackgroundBitmap(const Graphics::Bitmap& bitmap);
    result SetPressedBackgroundBitmap(const Graphics::Bitmap& bitmap);

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
    std::unique_ptr<ButtonPrivate> b_;
};

}  // namespace Vx::Ui::Controls
