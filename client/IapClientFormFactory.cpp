#include "client/IapClientFormFactory.h"

#include <new>

#include "client/IapClientPrivate.h"
#include "client/IapClientScenes.h"
#include "client/IapResourceManager.h"
#include "client/ui/IapClientPlaceholderForm.h"
#include "client/ui/IapClientSceneCreditCardRegister.h"
#include "client/ui/IapClientScenePurchase.h"
#include "client/ui/IapClientSceneSecurityCodeHelp.h"
#include "platform/ui/scenes/ForwardSceneTransition.h"
#include "platform/ui/scenes/SceneManager.h"

using namespace Vx;
using namespace Vx::Ui;
using Vx::Base::String;

IapClientFormFactory::IapClientFormFactory(IapClientPrivate* client) : client_(client) {}

IapClientFormFactory::~IapClientFormFactory() {
    if (purchaseScreen_) purchaseScreen_->SetFactory(nullptr);
}

Controls::Form* IapClientFormFactory::CreatePlaceholderN(const String& name, const String& title) {
    auto* form = new (std::nothrow) IapClientPlaceholderForm();
    if (!form) return nullptr;
    if (form->Construct(name, title) != E_SUCCESS) {
        delete form;
        return nullptr;
    }
    return form;
}

Controls::Form* IapClientFormFactory::CreatePurchaseFormN() {
    auto* form = new (std::nothrow) IapClientScenePurchase();
    if (!form) return nullptr;
    if (form->Construct(client_) != E_SUCCESS) {
        delete form;
        return nullptr;
    }
    return form;
}

Controls::Form* IapClientFormFactory::CreateCreditCardRegisterFormN() {
    auto* form = new (std::nothrow) IapClientSceneCreditCardRegister();
    if (!form) return nullptr;
    if (form->Construct() != E_SUCCESS) {
        delete form;
        return nullptr;
    }
    return form;
}

Controls::Form* IapClientFormFactory::CreateSecurityCodeHelpFormN() {
    auto* form = new (std::nothrow) IapClientSceneSecurityCodeHelp();
    if (!form) return nullptr;
    if (form->Construct() != E_SUCCESS) {
        delete form;
        return nullptr;
    }
    return form;
}

Controls::Form* IapClientFormFactory::CreateFormN(const String& formId, const Scenes::SceneId& sceneId) {
    using namespace IapClientScenes;
    Controls::Form* form = nullptr;
    IapClientScenePurchase* purchase = nullptr;
    Scenes::ISceneEventListener* listener = nullptr;
    if (formId == kFormCreditCardRegister) {
        form = CreateCreditCardRegisterFormN();
    } else if (formId == kFormSmsHkTwRegister) {
        form = CreatePlaceholderN(L"smsHkTwRegister",
                                  IapResourceManager::GetStringFromID(L"IDS_ZUMEA_HEADER_PAYMENT_INFORMATION"));
    } else if (formId == kFormSmsTurkeyRegister) {
        form = CreatePlaceholderN(L"smsTurkeyRegister",
                                  IapResourceManager::GetStringFromID(L"IDS_ZUMEA_HEADER_PAYMENT_INFORMATION"));
    } else if (formId == kFormPurchase) {
        form = CreatePurchaseFormN();
        purchase = static_cast<IapClientScenePurchase*>(form);
    } else if (formId == kFormSecurityCodeHelp) {
        form = CreateSecurityCodeHelpFormN();
    } else {
        return nullptr;
    }
    if (!form) return nullptr;
    listener = dynamic_cast<Scenes::ISceneEventListener*>(form);
    Scenes::SceneManager* scenes = Scenes::SceneManager::GetInstance();
    if (scenes && listener) scenes->AddSceneEventListener(sceneId, *listener);
    if (purchase) {
        purchaseScreen_ = purchase;
        purchase->SetFactory(this);
    }
    return form;
}

result IapClientFormFactory::Start() {
    Scenes::SceneManager* scenes = Scenes::SceneManager::GetInstance();
    if (!scenes) return E_INVALID_STATE;
    return scenes->GoForward(Scenes::ForwardSceneTransition(startScene_, Scenes::SCENE_TRANSITION_ANIMATION_TYPE_NONE,
                                                            Scenes::SCENE_HISTORY_OPTION_ADD_HISTORY,
                                                            Scenes::SCENE_DESTROY_OPTION_KEEP));
}

void IapClientFormFactory::EasyBuyPurchaseItemFinish() {
    if (purchaseScreen_) purchaseScreen_->EasyBuyPurchaseItemFinish();
}

void IapClientFormFactory::OnPurchaseScreenDestroyed(IapClientScenePurchase* screen) {
    if (purchaseScreen_ == screen) purchaseScreen_ = nullptr;
}
