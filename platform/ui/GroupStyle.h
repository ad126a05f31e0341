#pragma once
// How a control sits in a group of controls (the rounded box drawn around
// it), and whether a control draws its own background.
namespace Vx::Ui::Controls {

enum GroupStyle {
    GROUP_STYLE_NONE = 0,
    GROUP_STYLE_SINGLE = 1,
    GROUP_STYLE_TOP = 2,
    GROUP_STYLE_MIDDLE = 3,
    GROUP_STYLE_BOTTOM = 4,
};

enum BackgroundStyle {
    BACKGROUND_STYLE_DEFAULT = 0,
    BACKGROUND_STYLE_NONE = 1,
};

}  // namespace Vx::Ui::Controls
