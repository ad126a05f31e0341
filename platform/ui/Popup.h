#pragma once
// A popup window centred over the application's frame, with or without a
// title area. Show it with SetShowState(true) + Show(), or run it modally:
// DoModal blocks on a nested event loop until EndModal (or until the popup
// is closed or destroyed, or the application terminates). Everything else
// keeps running meanwhile (timers, replies, application control), so code
// after DoModal must check that what it touches still exists.
// Automation: the popup is the active window while shown; its title is the
// control "popupTitle".
#include <memory>

#include "platform/ui/Layout.h"
#include "platform/ui/Window.h"

namespace Vx::Ui::Controls {

class PopupPrivate;

class Popup : public Window {
public:
    // Height of the title area, and the room above and below the client area
    // (which spans the popup's whole width).
    static constexpr int TITLE_HEIGHT = 80;
    static constexpr int CLIENT_MARGIN = 20;

    Popup();
    ~Popup() override;

    // `dim`: the whole popup's size (title area included); sizes below 0 are
    // refused with E_INVALID_ARG, 0 is allowed. E_INVALID_STATE when called twice
    // or without a windowed application.
    result Construct(bool hasTitle, const Graphics::Dimension& dim);
    // With a layout that places the client area's controls (not owned).
    result Construct(Vx::Ui::Layout& layout, bool hasTitle, const Graphics::Dimension& dim);
    Vx::Ui::Layout* GetLayout() const { return layout_; }

    result SetTitleText(const Base::String& title);
    Base::String GetTitleText() const;
    bool HasTitle() const { return hasTitle_; }
    // Where controls go, in the popup's coordinates.
    Graphics::Rectangle GetClientAreaBounds() const;

    // Shows the popup modally and returns once the loop ends. `modalResult` is
    // set only by EndModal; it is left alone when the loop ends otherwise.
    // E_INVALID_STATE before Construct, while this popup already runs a loop,
    // or while the application is terminating (then it returns at once).
    result DoModal(int& modalResult);
    // The popup is hidden when the loop ends, however it ends.
    // Ends the loop of DoModal with `modalResult`. E_INVALID_STATE when no loop runs.
    result EndModal(int modalResult);
    bool IsInModalLoop() const;

    const char* GetTypeName() const override { return "Popup"; }

    PopupPrivate& GetPopupPrivate() const { return *p_; }

private:
    std::unique_ptr<PopupPrivate> p_;
    Vx::Ui::Layout* layout_ = nullptr;
    bool hasTitle_ = false;
};

}  // namespace Vx::Ui::Controls
