#include "client/ui/widgets/IapCheckBox.h"

#include <algorithm>
#include <new>

#include "client/ui/widgets/IapCheckBoxPrivate.h"

using namespace Vx;
using namespace Vx::Ui::Controls;
using Vx::Base::String;

IapCheckBox::IapCheckBox() : d_(new IapCheckBoxPrivate()) {}

IapCheckBox::~IapCheckBox() {
    // The children go before the layout that places them.
    RemoveAllControls();
    delete d_;
}

result IapCheckBox::Construct(const Graphics::Rectangle& bounds, CheckButtonStyle style,
                              BackgroundStyle backgroundStyle, bool withLabel, const String& text,
                              GroupStyle groupStyle) {
    if (d_->constructed) return E_INVALID_STATE;
    if (bounds.width < (withLabel ? kMinWidthWithLabel : kButtonWidth)) return E_INVALID_ARG;
    std::unique_ptr<Ui::GridLayout> layout(new (std::nothrow) Ui::GridLayout());
    if (!layout) return E_OUT_OF_MEMORY;
    result r = layout->Construct(1, 2);
    if (r != E_SUCCESS) return r;
    r = Panel::Construct(*layout, bounds, groupStyle);
    if (r != E_SUCCESS) return r;
    d_->layout = std::move(layout);

    std::unique_ptr<CheckButton> button(new (std::nothrow) CheckButton());
    if (!button) return E_OUT_OF_MEMORY;
    r = button->Construct(Graphics::Rectangle{0, 0, kButtonWidth, bounds.height}, style, backgroundStyle, false,
                          String(), GROUP_STYLE_NONE);
    if (r != E_SUCCESS) return r;
    button->SetName(L"checkButton");
    r = AddControl(button.get());
    if (r != E_SUCCESS) return r;
    d_->checkButton = button.release();
    d_->layout->SetPosition(*d_->checkButton, 0, 0);
    d_->layout->SetColumnStretchable(0, false);

    if (withLabel) {
        std::unique_ptr<Label> label(new (std::nothrow) Label());
        if (!label) return E_OUT_OF_MEMORY;
        r = label->Construct(Graphics::Rectangle{0, 0, bounds.width - kButtonWidth, bounds.height}, text);
        if (r != E_SUCCESS) return r;
        label->SetName(L"checkLabel");
        r = AddControl(label.get());
        if (r != E_SUCCESS) return r;
        d_->label = label.release();
        d_->layout->SetPosition(*d_->label, 0, 1);
        d_->layout->SetColumnStretchable(1, true);
    }
    d_->layout->Update();
    d_->constructed = true;
    return E_SUCCESS;
}

void IapCheckBox::SetSelected(bool selected) {
    if (d_->checkButton) d_->checkButton->SetSelected(selected);
}

bool IapCheckBox::IsSelected() const { return d_->checkButton && d_->checkButton->IsSelected(); }

void IapCheckBox::SetActionId(int checkedActionId, int uncheckedActionId, int selectedActionId) {
    if (d_->checkButton) d_->checkButton->SetActionId(checkedActionId, uncheckedActionId, selectedActionId);
}

int IapCheckBox::GetCheckedActionId() const { return d_->checkButton ? d_->checkButton->GetCheckedActionId() : -1; }

int IapCheckBox::GetUncheckedActionId() const { return d_->checkButton ? d_->checkButton->GetUncheckedActionId() : -1; }

int IapCheckBox::GetSelectedActionId() const { return d_->checkButton ? d_->checkButton->GetSelectedActionId() : -1; }

void IapCheckBox::SetTextHorizontalAlignment(HorizontalAlignment alignment) {
    if (d_->label) d_->label->SetTextHorizontalAlignment(alignment);
}

HorizontalAlignment IapCheckBox::GetTextHorizontalAlignment() const {
    return d_->label ? d_->label->GetTextHorizontalAlignment() : static_cast<HorizontalAlignment>(0);
}

void IapCheckBox::SetTextVerticalAlignment(VerticalAlignment alignment) {
    if (d_->label) d_->label->SetTextVerticalAlignment(alignment);
}

VerticalAlignment IapCheckBox::GetTextVerticalAlignment() const {
    return d_->label ? d_->label->GetTextVerticalAlignment() : static_cast<VerticalAlignment>(0);
}

void IapCheckBox::SetTextConfig(int size, LabelTextStyle style) {
    if (d_->label) d_->label->SetTextConfig(size, style);
}

int IapCheckBox::GetTextSize() const { return d_->label ? d_->label->GetTextSize() : -1; }

LabelTextStyle IapCheckBox::GetTextStyle() const {
    return d_->label ? d_->label->GetTextStyle() : static_cast<LabelTextStyle>(0);
}

void IapCheckBox::AddActionEventListener(Ui::IActionEventListener& listener) {
    if (!d_->checkButton) return;
    if (std::find(d_->listeners.begin(), d_->listeners.end(), &listener) != d_->listeners.end()) return;
    d_->listeners.push_back(&listener);
    d_->checkButton->AddActionEventListener(listener);
}

void IapCheckBox::RemoveActionEventListener(Ui::IActionEventListener& listener) {
    auto it = std::find(d_->listeners.begin(), d_->listeners.end(), &listener);
    if (it == d_->listeners.end()) return;
    d_->listeners.erase(it);
    if (d_->checkButton) d_->checkButton->RemoveActionEventListener(listener);
}

CheckButton* IapCheckBox::GetCheckButton() const { return d_->checkButton; }

Label* IapCheckBox::GetLabel() const { return d_->label; }
