#include "client/ui/IapClientSceneSecurityCodeHelp.h"

#include <memory>
#include <new>

#include "client/IapResourceManager.h"
#include "client/ui/IapForm.h"
#include "platform/base/ArrayList.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/Color.h"
#include "platform/ui/Footer.h"
#include "platform/ui/Frame.h"
#include "platform/ui/Header.h"
#include "platform/ui/Label.h"
#include "platform/ui/scenes/BackwardSceneTransition.h"
#include "platform/ui/scenes/SceneManager.h"

using namespace Vx;
using namespace Vx::Ui::Controls;
using Vx::Base::String;

IapClientSceneSecurityCodeHelp::~IapClientSceneSecurityCodeHelp() { SetFormBackEventListener(nullptr); }

result IapClientSceneSecurityCodeHelp::Construct() {
    result r = Form::Construct(IapForm::kDefaultStyle);
    if (r != E_SUCCESS) return r;
    SetName(L"securityCodeHelp");
    Header* header = GetHeader();
    if (!header) return E_INVALID_STATE;
    r = header->SetTitleText(L"HELP");
    if (r != E_SUCCESS) return r;
    if (Footer* footer = GetFooter()) footer->SetBackButton();
    SetFormBackEventListener(this);
    return E_SUCCESS;
}

result IapClientSceneSecurityCodeHelp::OnInitializing() {
    if (built_) return E_SUCCESS;
    const Graphics::Rectangle area = GetClientAreaBounds();
    const int formWidth = area.width > 0 ? area.width : Frame::SCREEN_WIDTH;

    std::unique_ptr<Label> title(new (std::nothrow) Label());
    if (!title) return E_OUT_OF_MEMORY;
    result r =
        title->Construct(Graphics::Rectangle{kMargin, 32, 644, kTitleHeight}, L"MasterCard, Visa and Visa Electron");
    if (r != E_SUCCESS) return r;
    title->SetName(L"helpTitle");
    title->SetTextConfig(32, LABEL_TEXT_STYLE_BOLD);
    title->SetTextColor(Graphics::Color(59, 115, 182));
    if ((r = AddControl(title.get())) != E_SUCCESS) return r;
    title.release();

    std::unique_ptr<Label> picture(new (std::nothrow) Label());
    if (!picture) return E_OUT_OF_MEMORY;
    r = picture->Construct(
        Graphics::Rectangle{(formWidth - kPictureWidth) / 2, kTitleHeight + 64, kPictureWidth, kPictureHeight},
        String());
    if (r != E_SUCCESS) return r;
    picture->SetName(L"helpPicture");
    // A missing picture leaves the area blank.
    std::unique_ptr<Graphics::Bitmap> bitmap(IapResourceManager::GetBitmapN(L"isa_security_card.png"));
    if (bitmap) picture->SetBackgroundBitmap(*bitmap);
    if ((r = AddControl(picture.get())) != E_SUCCESS) return r;
    picture.release();

    const int y = kTitleHeight + kPictureHeight + 96;
    const int formHeight = area.height > 0 ? area.height : Frame::SCREEN_HEIGHT;
    std::unique_ptr<Label> description(new (std::nothrow) Label());
    if (!description) return E_OUT_OF_MEMORY;
    r = description->Construct(
        Graphics::Rectangle{kMargin, y, formWidth - 34, formHeight > y ? formHeight - y : 0},
        L"The security code is the last three digits found in the signature field on the back of your credit "
        L"card.");
    if (r != E_SUCCESS) return r;
    description->SetName(L"helpText");
    description->SetTextConfig(32, LABEL_TEXT_STYLE_NORMAL);
    description->SetTextColor(Graphics::Color(128, 128, 128));
    description->SetTextHorizontalAlignment(ALIGNMENT_LEFT);
    description->SetTextVerticalAlignment(ALIGNMENT_TOP);
    description->SetMargin(0, 0);
    if ((r = AddControl(description.get())) != E_SUCCESS) return r;
    description.release();
    built_ = true;
    return E_SUCCESS;
}

void IapClientSceneSecurityCodeHelp::OnSceneActivatedN(const Ui::Scenes::SceneId&, const Ui::Scenes::SceneId&,
                                                       Base::Collection::ArrayList* pArgs) {
    delete pArgs;
}

void IapClientSceneSecurityCodeHelp::OnSceneDeactivated(const Ui::Scenes::SceneId&, const Ui::Scenes::SceneId&) {}

void IapClientSceneSecurityCodeHelp::OnFormBackRequested(Form&) {
    Ui::Scenes::SceneManager* scenes = Ui::Scenes::SceneManager::GetInstance();
    if (scenes && scenes->GoBackward(Ui::Scenes::BackwardSceneTransition()) == E_SUCCESS) return;
    // Opened as the first scene: nothing to go back to.
    IapForm::SendTerminate(IapLib::STATUS_CANCELED);
}
