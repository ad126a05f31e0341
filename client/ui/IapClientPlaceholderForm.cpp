#include "client/ui/IapClientPlaceholderForm.h"

#include "client/IapClientFrame.h"
#include "platform/ui/Footer.h"
#include "platform/ui/Header.h"
#include "platform/ui/scenes/SceneManager.h"

using namespace Vx;
using namespace Vx::Ui::Controls;
using Vx::Base::String;

result IapClientPlaceholderForm::Construct(const String& name, const String& title) {
    result r = Form::Construct(FORM_STYLE_INDICATOR | FORM_STYLE_HEADER | FORM_STYLE_FOOTER);
    if (r != E_SUCCESS) return r;
    SetName(name);
    Header* header = GetHeader();
    Footer* footer = GetFooter();
    if (!header || !footer) return E_FAILURE;
    r = header->SetTitleText(title);
    if (r == E_SUCCESS) r = footer->SetBackButton();
    if (r == E_SUCCESS) SetFormBackEventListener(this);
    return r;
}

void IapClientPlaceholderForm::OnSceneActivatedN(const Ui::Scenes::SceneId&, const Ui::Scenes::SceneId&,
                                                 Base::Collection::ArrayList* pArgs) {
    delete pArgs;
}

void IapClientPlaceholderForm::OnSceneDeactivated(const Ui::Scenes::SceneId&, const Ui::Scenes::SceneId&) {}

void IapClientPlaceholderForm::OnFormBackRequested(Form&) {
    Ui::Scenes::SceneManager* scenes = Ui::Scenes::SceneManager::GetInstance();
    if (scenes && scenes->GoBackward(Ui::Scenes::BackwardSceneTransition()) == E_SUCCESS) return;
    IapClientFrame::SendTerminateFromAnywhere(IapLib::STATUS_CANCELED);
}
