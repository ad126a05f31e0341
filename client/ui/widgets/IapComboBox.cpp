#include "client/ui/widgets/IapComboBox.h"

#include <algorithm>

#include "client/ui/widgets/IapComboBoxPrivate.h"

using namespace Vx;
using Vx::Base::String;

IapComboBox::IapComboBox() : d_(new IapComboBoxPrivate(*this)) {}

IapComboBox::~IapComboBox() {
    RemoveActionEventListener(*d_);
    delete d_;
}

result IapComboBox::Construct(const Base::Collection::ArrayListT<String>& items) {
    result r = UiButton::Construct(String());
    if (r != E_SUCCESS) return r;
    SetActionId(kButtonActionId);
    r = AddActionEventListener(*d_);
    if (r != E_SUCCESS) return r;
    return SetItems(items);
}

result IapComboBox::SetItems(const Base::Collection::ArrayListT<String>& items) { return d_->SetItems(items); }

int IapComboBox::GetItemCount() const { return static_cast<int>(d_->items.size()); }

int IapComboBox::GetCurrentIndex() const { return d_->currentIndex; }

result IapComboBox::SetCurrentIndex(int index) { return d_->SetCurrentIndexInternal(index, false); }

String IapComboBox::GetCurrentText() const {
    if (d_->currentIndex < 0) return String();
    return d_->items[static_cast<std::size_t>(d_->currentIndex)];
}

result IapComboBox::SetCurrentText(const String& text) {
    auto it = std::find(d_->items.begin(), d_->items.end(), text);
    if (it == d_->items.end()) return E_OBJ_NOT_FOUND;
    return d_->SetCurrentIndexInternal(static_cast<int>(it - d_->items.begin()), false);
}

result IapComboBox::AddComboBoxListener(IapIComboBoxListener& listener) {
    if (std::find(d_->listeners.begin(), d_->listeners.end(), &listener) != d_->listeners.end())
        return E_OBJ_ALREADY_EXIST;
    d_->listeners.push_back(&listener);
    return E_SUCCESS;
}

result IapComboBox::RemoveComboBoxListener(IapIComboBoxListener& listener) {
    auto it = std::find(d_->listeners.begin(), d_->listeners.end(), &listener);
    if (it == d_->listeners.end()) return E_OBJ_NOT_FOUND;
    d_->listeners.erase(it);
    return E_SUCCESS;
}

void IapComboBox::RemoveAllComboBoxListeners() { d_->listeners.clear(); }

bool IapComboBox::HasMenu() const { return d_->menu != nullptr; }

bool IapComboBox::IsMenuShown() const { return d_->menu && d_->menu->GetShowState(); }
