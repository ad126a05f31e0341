#pragma once
// Told when a combo box's current item changes.
class IapComboBox;

class IapIComboBoxListener {
public:
    virtual ~IapIComboBoxListener() = default;
    // The user chose another item from the menu.
    virtual void OnSelectedItemChangedByUser(const IapComboBox& source) = 0;
    // The program changed the item (SetItems, SetCurrentIndex, SetCurrentText).
    virtual void OnSelectedItemChanged(const IapComboBox&) {}
};
