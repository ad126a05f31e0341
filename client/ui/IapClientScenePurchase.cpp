#include "client/ui/IapClientScenePurchase.h"

#include <new>

#include "client/IapClientFormFactory.h"
#include "client/IapClientPrivate.h"
#include "client/ui/IapClientScenePurchasePrivate.h"
#include "platform/base/ArrayList.h"
#include "platform/ui/Footer.h"
#include "platform/ui/Header.h"

using namespace Vx;
using Vx::Base::String;

namespace {
constexpr int kRows = 3;
constexpr int kColumns = 1;
}  // namespace

IapClientScenePurchase::IapClientScenePurchase() = default;

IapClientScenePurchase::~IapClientScenePurchase() {
    if (factory_) factory_->OnPurchaseScreenDestroyed(this);
    if (d_) {
        if (Ui::Controls::Footer* footer = GetFooter()) footer->RemoveActionEventListener(*d_);
    }
    // The list view hands its rows back to the implementation: it goes first.
    RemoveAllControls();
    delete d_;
    d_ = nullptr;
}

IapClientScenePurchasePrivate* IapClientScenePurchase::CreatePrivateN() {
    return new (std::nothrow) IapClientScenePurchasePrivate(this);
}

result IapClientScenePurchase::Construct(IapClientPrivate* client) {
    if (!client || client->transactionId < 0) return E_INVALID_ARG;
    if (d_) return E_INVALID_STATE;
    d_ = CreatePrivateN();
    if (!d_) return E_OUT_OF_MEMORY;
    result r = IapForm::Construct(kRows, kColumns);
    if (r != E_SUCCESS) return r;
    SetName(L"purchase");
    if (Ui::Controls::Header* header = GetHeader()) header->SetTitleText(L"PAYMENT");
    return d_->Construct(client);
}

result IapClientScenePurchase::Create() { return d_ ? d_->Create() : E_INVALID_STATE; }

void IapClientScenePurchase::EasyBuyPurchaseItemFinish() {
    if (d_) d_->EasyBuyPurchaseItemFinish();
}

void IapClientScenePurchase::OnSceneActivatedN(const Ui::Scenes::SceneId& previousSceneId, const Ui::Scenes::SceneId&,
                                               Base::Collection::ArrayList* pArgs) {
    delete pArgs;
    if (d_) d_->OnSceneActivated(previousSceneId);
}
