#pragma once
// The button bar at the bottom of a form with FORM_STYLE_FOOTER. The form
// creates and owns it (Form::GetFooter). Items are buttons side by side; a
// pressed item tells the footer's action listeners its action id. The back
// button, once set, sits at the right end and asks the form's back listener
// (IFormBackEventListener) to leave the form.
// Automation names: "footerItem0", "footerItem1", ... by index, and "back".
#include <memory>
#include <vector>

#include "platform/ui/Control.h"
#include "platform/ui/FooterItem.h"
#include "platform/ui/IActionEventListener.h"
#include "platform/ui/ListenerList.h"

namespace Vx::Ui::Controls {

class Button;
class Form;

class Footer : public Control {
public:
    static constexpr int MAX_ITEM_COUNT = 4;

    Footer();
    ~Footer() override;

    // Called by the form. E_INVALID_STATE when called twice.
    result Construct(Form& form);

    // E_INVALID_ARG for an item never constructed; E_OUT_OF_RANGE past MAX_ITEM_COUNT.
    result AddItem(const FooterItem& item);
    result RemoveAllItems();
    int GetItemCount() const;
    // E_OUT_OF_RANGE for an index that has no item.
    result SetItemEnabled(int index, bool enable);
    // False also for an index that has no item.
    bool IsItemEnabled(int index) const;
    result SetItemText(int index, const Base::String& text);
    // Empty / -1 for an index that has no item.
    Base::String GetItemText(int index) const;
    int GetItemActionId(int index) const;

    // Shows the back button; calling it again changes nothing.
    result SetBackButton();
    bool IsBackButtonSet() const;

    // Listeners are not owned; adding one twice or removing an unknown one does nothing.
    void AddActionEventListener(Vx::Ui::IActionEventListener& listener);
    void RemoveActionEventListener(Vx::Ui::IActionEventListener& listener);

    const char* GetTypeName() const override { return "Footer"; }

    // For the platform: places the items after a resize.
    void Layout();

private:
    class ItemRelay;
    void OnItemPressed(int actionId);
    void OnBackPressed();

    Form* form_ = nullptr;
    std::vector<std::unique_ptr<Button>> items_;
    std::vector<std::unique_ptr<Button>> retired_;
    std::unique_ptr<Button> back_;
    std::unique_ptr<ItemRelay> relay_;
    ListenerList<Vx::Ui::IActionEventListener> listeners_;
};

}  // namespace Vx::Ui::Controls
