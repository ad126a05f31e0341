#pragma once
// Values shared by grouped table views, their items and their listeners.
namespace Vx::Ui::Controls {

// What an item shows at its right end; items with a mark or a radio mark can be checked.
enum TableViewAnnexStyle {
    TABLE_VIEW_ANNEX_STYLE_NORMAL = 0,
    TABLE_VIEW_ANNEX_STYLE_MARK = 1,
    TABLE_VIEW_ANNEX_STYLE_RADIO = 2,
};

enum TableViewItemDrawingStatus {
    TABLE_VIEW_ITEM_DRAWING_STATUS_NORMAL = 0,
    TABLE_VIEW_ITEM_DRAWING_STATUS_PRESSED = 1,
    TABLE_VIEW_ITEM_DRAWING_STATUS_HIGHLIGHTED = 2,
};

// What a tap did: selected (a group item or an item without a mark), checked or unchecked.
enum TableViewItemStatus {
    TABLE_VIEW_ITEM_STATUS_SELECTED = 0,
    TABLE_VIEW_ITEM_STATUS_HIGHLIGHTED = 1,
    TABLE_VIEW_ITEM_STATUS_CHECKED = 2,
    TABLE_VIEW_ITEM_STATUS_UNCHECKED = 3,
};

enum TableViewScrollBarStyle {
    TABLE_VIEW_SCROLL_BAR_STYLE_NONE = 0,
    TABLE_VIEW_SCROLL_BAR_STYLE_DEFAULT = 1,
};

// What RefreshItem does at a position.
enum TableViewRefreshType {
    TABLE_VIEW_REFRESH_TYPE_ITEM_ADD = 0,
    TABLE_VIEW_REFRESH_TYPE_ITEM_REMOVE = 1,
    TABLE_VIEW_REFRESH_TYPE_ITEM_MODIFY = 2,
};

}  // namespace Vx::Ui::Controls
