#pragma once
// A button showing the current item of a list; tapping it opens a menu of
// the items below the button, choosing one makes it current.
#include "client/ui/widgets/IapIComboBoxListener.h"
#include "client/ui/widgets/UiButton.h"
#include "platform/base/ArrayListT.h"

class IapComboBoxPrivate;

class IapComboBox : public UiButton {
public:
    static constexpr int kButtonActionId = 1001;
    static constexpr int kFirstItemActionId = 1101;

    IapComboBox();
    ~IapComboBox() override;

    Vx::result Construct(const Vx::Base::Collection::ArrayListT<Vx::Base::String>& items);
    // Replaces the items; the first becomes current (reported as not by the user).
    Vx::result SetItems(const Vx::Base::Collection::ArrayListT<Vx::Base::String>& items);
    int GetItemCount() const;
    // -1 when no item is current.
    int GetCurrentIndex() const;
    // E_INVALID_ARG outside the items; E_INVALID_STATE (nobody told) when already current.
    Vx::result SetCurrentIndex(int index);
    // Empty when no item is current.
    Vx::Base::String GetCurrentText() const;
    // The first item equal to `text`; E_OBJ_NOT_FOUND when there is none.
    Vx::result SetCurrentText(const Vx::Base::String& text);
    // E_OBJ_ALREADY_EXIST when registered already.
    Vx::result AddComboBoxListener(IapIComboBoxListener& listener);
    Vx::result RemoveComboBoxListener(IapIComboBoxListener& listener);
    void RemoveAllComboBoxListeners();
    // Whether the drop-down menu exists (there are items) and is shown.
    bool HasMenu() const;
    bool IsMenuShown() const;

    IapComboBoxPrivate& GetPrivate() const { return *d_; }

private:
    IapComboBoxPrivate* d_;
};
