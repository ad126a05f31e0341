#include "client/ui/widgets/IapPopup.h"

#include <algorithm>

#include "platform/app/UiApp.h"
#include "platform/ui/Form.h"
#include "platform/ui/Frame.h"

using namespace Vx;
using namespace Vx::Ui::Controls;

namespace {

Frame* AppFrame() {
    App::UiApp* app = App::UiApp::GetInstance();
    return app ? dynamic_cast<Frame*>(app->GetAppFrame()) : nullptr;
}

}  // namespace

IapPopup::~IapPopup() {
    if (Form* form = GetWatchedForm()) form->RemoveOrientationEventListener(*this);
    watchedForm_ = nullptr;
    // The children go before the layout that places them.
    RemoveAllControls();
}

Form* IapPopup::GetWatchedForm() const {
    if (!watchedForm_) return nullptr;
    Frame* frame = AppFrame();
    if (!frame) return nullptr;
    // Compared by address only: a form that left the frame is not touched.
    for (int i = 0; i < frame->GetControlCount(); ++i) {
        if (frame->GetControl(i) == static_cast<Ui::Control*>(watchedForm_)) return watchedForm_;
    }
    return nullptr;
}

result IapPopup::Construct(int rows, int columns, bool hasTitle, int width) {
    result r = grid_.Construct(rows, columns);
    if (r != E_SUCCESS) return r;
    for (int row = 0; row < rows; ++row) {
        grid_.SetRowShrinkable(row, false);
        grid_.SetRowStretchable(row, false);
    }
    const int popupWidth = std::min(width, Frame::SCREEN_WIDTH);
    r = Popup::Construct(grid_, hasTitle, Graphics::Dimension{popupWidth, kInitialHeight});
    if (r != E_SUCCESS) return r;
    hasTitle_ = hasTitle;
    if (Frame* frame = AppFrame()) {
        if (Form* form = frame->GetCurrentForm()) {
            form->AddOrientationEventListener(*this);
            watchedForm_ = form;
        }
    }
    return E_SUCCESS;
}

result IapPopup::AddControl(Ui::Control* control, int row, int column, int rowSpan, int columnSpan) {
    if (!control) return E_INVALID_ARG;
    result r = Popup::AddControl(control);
    if (r != E_SUCCESS) return r;
    return grid_.AddControl(*control, row, column, rowSpan, columnSpan);
}

result IapPopup::SetAllColumnsStretchable(bool stretchable) {
    for (int column = 0; column < grid_.GetColumnCount(); ++column) {
        result r = grid_.SetColumnStretchable(column, stretchable);
        if (r != E_SUCCESS) return r;
    }
    return E_SUCCESS;
}

int IapPopup::HeightFor(int gridHeight, bool hasTitle) {
    return gridHeight + (hasTitle ? kExtraHeightWithTitle : kExtraHeight);
}

result IapPopup::AdjustSize() { return SetSize(GetSize().width, HeightFor(grid_.GetCalculatedHeight(), hasTitle_)); }

Graphics::Rectangle IapPopup::GetCurrentScreenRectangle() {
    Frame* frame = AppFrame();
    if (!frame) return Graphics::Rectangle{};
    if (Form* form = frame->GetCurrentForm()) return form->GetBounds();
    return frame->GetBounds();
}

OrientationStatus IapPopup::GetCurrentOrientationStatus() {
    Frame* frame = AppFrame();
    Form* form = frame ? frame->GetCurrentForm() : nullptr;
    return form ? form->GetOrientationStatus() : ORIENTATION_STATUS_NONE;
}

void IapPopup::OnOrientationChanged(const Ui::Control&, OrientationStatus) {
    AdjustSize();
    Invalidate(true);
}
