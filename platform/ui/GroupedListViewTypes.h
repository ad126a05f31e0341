#pragma once
// Values shared by grouped list views, their items and their listeners.
namespace Vx::Ui::Controls {

enum GroupedListViewStyle {
    GROUPED_LIST_VIEW_STYLE_INDEXED = 0,
    GROUPED_LIST_VIEW_STYLE_SECTION = 1,
};

// What an item shows at its right end; items with a mark or a radio mark can be checked.
enum ListAnnexStyle {
    LIST_ANNEX_STYLE_NORMAL = 0,
    LIST_ANNEX_STYLE_MARK = 1,
    LIST_ANNEX_STYLE_RADIO = 2,
};

enum ListItemDrawingStatus {
    LIST_ITEM_DRAWING_STATUS_NORMAL = 0,
    LIST_ITEM_DRAWING_STATUS_PRESSED = 1,
    LIST_ITEM_DRAWING_STATUS_HIGHLIGHTED = 2,
};

// What a tap did to an item: selected (no mark), checked or unchecked.
enum ListItemStatus {
    LIST_ITEM_STATUS_SELECTED = 0,
    LIST_ITEM_STATUS_HIGHLIGHTED = 1,
    LIST_ITEM_STATUS_CHECKED = 2,
    LIST_ITEM_STATUS_UNCHECKED = 3,
};

enum ListContextItemStatus {
    LIST_CONTEXT_ITEM_STATUS_SELECTED = 0,
    LIST_CONTEXT_ITEM_STATUS_HIGHLIGHTED = 1,
};

enum SweepDirection {
    SWEEP_DIRECTION_LEFT = 0,
    SWEEP_DIRECTION_RIGHT = 1,
};

}  // namespace Vx::Ui::Controls
