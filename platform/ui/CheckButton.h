#pragma once
// A button that is checked or not (a mark, an on/off switch or a radio
// mark). Pressing it turns the state over and tells the action listeners the
// checked or the unchecked action id; the selected id is told when the
// button is pressed while checking changes nothing (a radio button already checked).
#include "platform/ui/Color.h"
#include "platform/ui/Control.h"
#include "platform/ui/GroupStyle.h"
#include "platform/ui/IActionEventListener.h"
#include "platform/ui/Label.h"
#include "platform/ui/ListenerList.h"

namespace Vx::Ui::Controls {

enum CheckButtonStyle {
    CHECK_BUTTON_STYLE_MARK = 0,
    CHECK_BUTTON_STYLE_MARK_WITH_DIVIDER = 1,
    CHECK_BUTTON_STYLE_ONOFF = 2,
    CHECK_BUTTON_STYLE_ONOFF_WITH_DIVIDER = 3,
    CHECK_BUTTON_STYLE_RADIO = 4,
    CHECK_BUTTON_STYLE_RADIO_WITH_DIVIDER = 5,
    CHECK_BUTTON_STYLE_ONOFF_SLIDING = 6,
};

class CheckButton : public Control {
public:
    CheckButton() = default;
    ~CheckButton() override = default;

    // E_INVALID_ARG for an unknown style or negative size; E_INVALID_STATE when called twice.
    result Construct(const Graphics::Rectangle& rect, CheckButtonStyle style,
                     BackgroundStyle backgroundStyle = BACKGROUND_STYLE_DEFAULT, bool showTitle = false,
                     const Base::String& text = Base::String(), GroupStyle groupStyle = GROUP_STYLE_NONE);

    // Changes the state without telling anyone.
    result SetSelected(bool select);
    bool IsSelected() const;

    void SetActionId(int checkedActionId, int uncheckedActionId, int selectedActionId = -1);
    int GetCheckedActionId() const { return checkedId_; }
    int GetUncheckedActionId() const { return uncheckedId_; }
    int GetSelectedActionId() const { return selectedId_; }

    result SetText(const Base::String& text) override;
    Base::String GetText() const override;
    result SetTextHorizontalAlignment(HorizontalAlignment alignment);
    HorizontalAlignment GetTextHorizontalAlignment() const;
    result SetTextVerticalAlignment(VerticalAlignment alignment);
    VerticalAlignment GetTextVerticalAlignment() const;
    result SetTextColor(const Graphics::Color& color);
    Graphics::Color GetTextColor() const;

    CheckButtonStyle GetCheckButtonStyle() const { return style_; }
    BackgroundStyle GetBackgroundStyle() const { return backgroundStyle_; }
    GroupStyle GetGroupStyle() const { return groupStyle_; }

    // E_OBJ_ALREADY_EXIST for a listener added twice; E_OBJ_NOT_FOUND when removing an unknown one.
    result AddActionEventListener(IActionEventListener& listener);
    result RemoveActionEventListener(IActionEventListener& listener);

    const char* GetTypeName() const override { return "CheckButton"; }

    // For the platform: the user's press.
    void OnPressed();

private:
    CheckButtonStyle style_ = CHECK_BUTTON_STYLE_MARK;
    BackgroundStyle backgroundStyle_ = BACKGROUND_STYLE_DEFAULT;
    GroupStyle groupStyle_ = GROUP_STYLE_NONE;
    int checkedId_ = -1;
    int uncheckedId_ = -1;
    int selectedId_ = -1;
    ListenerList<IActionEventListener> listeners_;
};

}  // namespace Vx::Ui::Controls
