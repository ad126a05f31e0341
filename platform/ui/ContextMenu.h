#pragma once
// A menu of items that opens at an anchor point on the screen and closes when
// an item is chosen (the item's action id goes to the action listeners) or
// when the user taps elsewhere. It is always kept on screen: a menu that would
// reach past an edge is moved inside, and one taller than the screen scrolls.
// Automation: while open it is the active window "contextMenu" (or its own
// name); its items are the buttons "contextMenuItem0", "contextMenuItem1", ...
#include <memory>

#include "platform/ui/Control.h"
#include "platform/ui/IActionEventListener.h"
#include "platform/ui/ListenerList.h"

namespace Vx::Ui::Controls {

enum ContextMenuStyle {
    CONTEXT_MENU_STYLE_LIST = 0,
    CONTEXT_MENU_STYLE_GRID = 1,
};

class ContextMenuPrivate;

class ContextMenu : public Control {
public:
    static constexpr int ITEM_HEIGHT = 80;
    static constexpr int MIN_WIDTH = 240;

    ContextMenu();
    ~ContextMenu() override;

    // E_INVALID_ARG for an unknown style; E_INVALID_STATE when called twice or without a windowed application.
    result Construct(const Graphics::Point& point, ContextMenuStyle style = CONTEXT_MENU_STYLE_LIST);

    // E_INVALID_ARG for an empty text.
    result AddItem(const Base::String& text, int actionId);
    result RemoveAllItems();
    int GetItemCount() const;
    // -1 / empty for an index without an item.
    int GetItemActionIdAt(int index) const;
    Base::String GetItemTextAt(int index) const;

    // The point the menu opens at (screen coordinates).
    result SetAnchorPosition(const Graphics::Point& position);
    Graphics::Point GetAnchorPosition() const;
    // Where the menu is placed when shown: at the anchor, moved to stay on screen.
    Graphics::Rectangle GetMenuBounds() const;

    ContextMenuStyle GetStyle() const;

    // E_OBJ_ALREADY_EXIST / E_OBJ_NOT_FOUND as for other listeners.
    result AddActionEventListener(IActionEventListener& listener);
    result RemoveActionEventListener(IActionEventListener& listener);

    const char* GetTypeName() const override { return "ContextMenu"; }

    // For the platform: an item was chosen.
    void OnItemChosen(int index);

private:
    std::unique_ptr<ContextMenuPrivate> m_;
    ListenerList<IActionEventListener> listeners_;
};

}  // namespace Vx::Ui::Controls
