#include "client/ui/widgets/IapComboBoxPrivate.h"

#include <algorithm>
#include <new>

#include "client/ui/widgets/IapComboBox.h"
#include "platform/app/UiApp.h"
#include "platform/ui/Frame.h"
#include "platform/ui/Popup.h"

using namespace Vx;
using namespace Vx::Ui::Controls;
using Vx::Base::String;

namespace {

Graphics::Rectangle FrameBounds() {
    App::UiApp* app = App::UiApp::GetInstance();
    auto* frame = app ? dynamic_cast<Frame*>(app->GetAppFrame()) : nullptr;
    return frame ? frame->GetBounds() : Graphics::Rectangle{};
}

}  // namespace

IapComboBoxPrivate::~IapComboBoxPrivate() { DeleteMenu(); }

void IapComboBoxPrivate::DeleteMenu() {
    if (!menu) return;
    ContextMenu* old = menu;
    menu = nullptr;
    old->RemoveActionEventListener(*this);
    delete old;
}

result IapComboBoxPrivate::SetItems(const Base::Collection::ArrayListT<String>& newItems) {
    owner_.SetText(String());
    currentIndex = -1;
    items.clear();
    DeleteMenu();
    if (newItems.GetCount() == 0) return E_SUCCESS;
    for (int i = 0; i < newItems.GetCount(); ++i) {
        String item;
        newItems.GetAt(i, item);
        items.push_back(item);
    }
    SetCurrentIndexInternal(0, false);
    const Graphics::Rectangle frame = FrameBounds();
    const int count = static_cast<int>(items.size());
    auto* created = new (std::nothrow) ContextMenu();
    if (!created) return E_OUT_OF_MEMORY;
    result r =
        created->Construct(Graphics::Point{frame.width / 8, (frame.height - 100 * count) / 2}, CONTEXT_MENU_STYLE_LIST);
    if (r != E_SUCCESS) {
        delete created;
        return r;
    }
    for (int i = 0; i < count; ++i)
        created->AddItem(items[static_cast<std::size_t>(i)], IapComboBox::kFirstItemActionId + i);
    created->AddActionEventListener(*this);
    menu = created;
    return E_SUCCESS;
}

result IapComboBoxPrivate::SetCurrentIndexInternal(int index, bool byUser) {
    if (index < 0 || index >= static_cast<int>(items.size())) return E_INVALID_ARG;
    if (index == currentIndex) return E_INVALID_STATE;
    currentIndex = index;
    owner_.SetText(items[static_cast<std::size_t>(index)]);
    owner_.Invalidate(false);
    // A listener may remove listeners (itself included) while being told.
    const std::vector<IapIComboBoxListener*> copy = listeners;
    for (IapIComboBoxListener* listener : copy) {
        if (std::find(listeners.begin(), listeners.end(), listener) == listeners.end()) continue;
        if (byUser) {
            listener->OnSelectedItemChangedByUser(owner_);
        } else {
            listener->OnSelectedItemChanged(owner_);
        }
    }
    return E_SUCCESS;
}

Graphics::Point IapComboBoxPrivate::MenuAnchorForButton() const {
    Graphics::Rectangle bounds = owner_.GetBounds();
    int x = bounds.x;
    int y = bounds.y;
    for (Ui::Container* parent = owner_.GetParent(); parent; parent = parent->GetParent()) {
        Graphics::Rectangle at = parent->GetBounds();
        if (auto* popup = dynamic_cast<Popup*>(parent)) {
            // Inside a popup the client area is where the children sit.
            Graphics::Rectangle client = popup->GetClientAreaBounds();
            if (client.x != -1 && client.y != -1) {
                at.x += client.x;
                at.y += client.y;
            }
        }
        x += at.x;
        y += at.y;
    }
    return Graphics::Point{x + 20, y + bounds.height - 16};
}

void IapComboBoxPrivate::OnActionPerformed(const Ui::Control&, int actionId) {
    if (actionId == IapComboBox::kButtonActionId) {
        if (!menu) return;
        menu->SetAnchorPosition(MenuAnchorForButton());
        menu->SetShowState(true);
        menu->Show();
        return;
    }
    const int index = actionId - IapComboBox::kFirstItemActionId;
    if (!menu || index < 0 || index >= menu->GetItemCount()) return;
    menu->SetShowState(false);
    SetCurrentIndexInternal(index, true);
}
