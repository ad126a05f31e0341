#include "client/ui/IapForm.h"

#include "client/IapClientFrame.h"
#include "platform/base/ArrayList.h"
#include "platform/ui/Footer.h"
#include "platform/ui/scenes/BackwardSceneTransition.h"
#include "platform/ui/scenes/SceneManager.h"

using namespace Vx;
using namespace Vx::Ui;

IapForm::~IapForm() {
    RemoveOrientationEventListener(*this);
    SetFormBackEventListener(nullptr);
    // The children go before the grid that places them.
    RemoveAllControls();
}

result IapForm::Construct(int rows, int columns) { return Construct(rows, columns, kDefaultStyle); }

result IapForm::Construct(int rows, int columns, int formStyle) {
    result r = grid_.Construct(rows, columns);
    if (r != E_SUCCESS) return r;
    for (int row = 0; row < rows; ++row) {
        grid_.SetRowShrinkable(row, false);
        grid_.SetRowStretchable(row, false);
    }
    r = Form::Construct(grid_, formStyle);
    if (r != E_SUCCESS) return r;
    Controls::Footer* footer = GetFooter();
    if (!footer) return E_INVALID_STATE;
    r = footer->SetBackButton();
    if (r != E_SUCCESS) return r;
    SetFormBackEventListener(this);
    AddOrientationEventListener(*this);
    return E_SUCCESS;
}

result IapForm::AddControl(Control* control, int row, int column, int rowSpan, int columnSpan) {
    if (!control) return E_INVALID_ARG;
    result r = Form::AddControl(control);
    if (r != E_SUCCESS) return r;
    return grid_.AddControl(*control, row, column, rowSpan, columnSpan);
}

result IapForm::SetAllColumnsStretchable(bool stretchable) {
    for (int column = 0; column < grid_.GetColumnCount(); ++column) {
        result r = grid_.SetColumnStretchable(column, stretchable);
        if (r != E_SUCCESS) return r;
    }
    return E_SUCCESS;
}

void IapForm::OnSceneActivatedN(const Scenes::SceneId&, const Scenes::SceneId&, Base::Collection::ArrayList* pArgs) {
    delete pArgs;
}

void IapForm::OnSceneDeactivated(const Scenes::SceneId&, const Scenes::SceneId&) {}

void IapForm::OnOrientationChanged(const Control&, Controls::OrientationStatus) {}

void IapForm::OnFormBackRequested(Controls::Form&) {
    Scenes::SceneManager* scenes = Scenes::SceneManager::GetInstance();
    if (scenes && scenes->GoBackward(Scenes::BackwardSceneTransition()) == E_SUCCESS) return;
    TerminateFromFirstScene();
}

void IapForm::TerminateFromFirstScene() { SendTerminate(IapLib::STATUS_CANCELED); }

void IapForm::SendTerminate(IapLib::StatusCode status) { IapClientFrame::SendTerminateFromAnywhere(status); }
