#pragma once
// A check button with an optional label beside it, laid out by a one-row grid.
#include "platform/ui/CheckButton.h"
#include "platform/ui/IActionEventListener.h"
#include "platform/ui/Label.h"
#include "platform/ui/Panel.h"

class IapCheckBoxPrivate;

class IapCheckBox : public Vx::Ui::Controls::Panel {
public:
    static constexpr int kButtonWidth = 110;
    static constexpr int kMinWidthWithLabel = 158;

    IapCheckBox();
    ~IapCheckBox() override;

    // E_INVALID_ARG when the bounds are narrower than 158 (with label) or 110 (without).
    Vx::result Construct(const Vx::Graphics::Rectangle& bounds, Vx::Ui::Controls::CheckButtonStyle style,
                         Vx::Ui::Controls::BackgroundStyle backgroundStyle, bool withLabel,
                         const Vx::Base::String& text,
                         Vx::Ui::Controls::GroupStyle groupStyle = Vx::Ui::Controls::GROUP_STYLE_NONE);

    void SetSelected(bool selected);
    bool IsSelected() const;
    void SetActionId(int checkedActionId, int uncheckedActionId, int selectedActionId = -1);
    int GetCheckedActionId() const;
    int GetUncheckedActionId() const;
    int GetSelectedActionId() const;

    // Without a label the setters do nothing and the getters give 0 (-1 for the size).
    void SetTextHorizontalAlignment(Vx::Ui::Controls::HorizontalAlignment alignment);
    Vx::Ui::Controls::HorizontalAlignment GetTextHorizontalAlignment() const;
    void SetTextVerticalAlignment(Vx::Ui::Controls::VerticalAlignment alignment);
    Vx::Ui::Controls::VerticalAlignment GetTextVerticalAlignment() const;
    void SetTextConfig(int size, Vx::Ui::Controls::LabelTextStyle style);
    int GetTextSize() const;
    Vx::Ui::Controls::LabelTextStyle GetTextStyle() const;

    // Registered with the check button once; duplicates are ignored.
    void AddActionEventListener(Vx::Ui::IActionEventListener& listener);
    void RemoveActionEventListener(Vx::Ui::IActionEventListener& listener);

    Vx::Ui::Controls::CheckButton* GetCheckButton() const;
    Vx::Ui::Controls::Label* GetLabel() const;

private:
    IapCheckBoxPrivate* d_;
};
