#pragma once
// The windowed application object for programs that are not a UiApp (tests,
// tools). Without a display (no DISPLAY or WAYLAND_DISPLAY, or
// QT_QPA_PLATFORM unset in a test) windows are drawn offscreen at phone size.
namespace Vx::Ui {

// Creates it when the process has none yet; true when the process now has a
// windowed application object (false when a non-windowed one already exists).
bool EnsureUiApplication();

}  // namespace Vx::Ui
