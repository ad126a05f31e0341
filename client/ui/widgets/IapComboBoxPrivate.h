#pragma once
// The inner workings of IapComboBox: its items, menu and listeners.
#include <vector>

#include "platform/base/ArrayListT.h"
#include "platform/base/String.h"
#include "platform/ui/ContextMenu.h"
#include "platform/ui/IActionEventListener.h"

class IapComboBox;
class IapIComboBoxListener;

class IapComboBoxPrivate : public Vx::Ui::IActionEventListener {
public:
    explicit IapComboBoxPrivate(IapComboBox& owner) : owner_(owner) {}
    ~IapComboBoxPrivate() override;

    Vx::result SetItems(const Vx::Base::Collection::ArrayListT<Vx::Base::String>& items);
    Vx::result SetCurrentIndexInternal(int index, bool byUser);
    // Where the menu opens for the button: below it, on screen.
    Vx::Graphics::Point MenuAnchorForButton() const;
    void OnActionPerformed(const Vx::Ui::Control& source, int actionId) override;

    std::vector<IapIComboBoxListener*> listeners;
    std::vector<Vx::Base::String> items;
    Vx::Ui::Controls::ContextMenu* menu = nullptr;
    int currentIndex = -1;

private:
    void DeleteMenu();

    IapComboBox& owner_;
};
