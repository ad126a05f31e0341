#pragma once
// A popup laid out by an IapGridLayout that takes the height its content
// needs and follows orientation changes of the form it was opened over.
#include "client/ui/widgets/IapGridLayout.h"
#include "platform/ui/IOrientationEventListener.h"
#include "platform/ui/Popup.h"

namespace Vx::Ui::Controls {
class Form;
}

class IapPopup : public Vx::Ui::Controls::Popup, public Vx::Ui::IOrientationEventListener {
public:
    static constexpr int kInitialHeight = 48;
    static constexpr int kExtraHeight = 68;
    static constexpr int kExtraHeightWithTitle = 148;

    IapPopup() = default;
    ~IapPopup() override;

    // Width is capped at the screen width.
    Vx::result Construct(int rows, int columns, bool hasTitle, int width);
    using Popup::AddControl;
    // Adds to the popup, then places in the grid; on failure the caller keeps the control.
    Vx::result AddControl(Vx::Ui::Control* control, int row, int column, int rowSpan = 1, int columnSpan = 1);
    Vx::result SetAllColumnsStretchable(bool stretchable);
    // Height = the grid's calculated height + 68 (+ 148 with a title); width kept.
    Vx::result AdjustSize();
    // The popup height for a content grid of `gridHeight`.
    static int HeightFor(int gridHeight, bool hasTitle);
    // The current form's bounds, else the frame's, else an empty rectangle.
    static Vx::Graphics::Rectangle GetCurrentScreenRectangle();
    static Vx::Ui::Controls::OrientationStatus GetCurrentOrientationStatus();
    IapGridLayout& GetGridLayout() { return grid_; }
    bool HasTitle() const { return hasTitle_; }
    // The form whose orientation this popup follows; null when none (or gone).
    Vx::Ui::Controls::Form* GetWatchedForm() const;

    void OnOrientationChanged(const Vx::Ui::Control& source,
                              Vx::Ui::Controls::OrientationStatus orientationStatus) override;

private:
    IapGridLayout grid_;
    bool hasTitle_ = false;
    // The form the listener was added to; it may be destroyed before the
    // popup, so it is looked up among the frame's forms before use.
    Vx::Ui::Controls::Form* watchedForm_ = nullptr;
};
