#pragma once
// The first screen of buyclient: signs the user in, confirms the password of
// an account that was already signed in, shows the item with the payment
// methods the store offers for it, and hands the purchase to the method the
// user chose. Everything but the form lives in IapClientScenePurchasePrivate.
#include "client/ui/IapForm.h"

class IapClientFormFactory;
class IapClientPrivate;
class IapClientScenePurchasePrivate;

class IapClientScenePurchase : public IapForm {
public:
    IapClientScenePurchase();
    // Tells the factory, so that it never reaches a deleted screen.
    ~IapClientScenePurchase() override;

    // E_INVALID_ARG without a facade or with a negative transaction id;
    // E_OUT_OF_MEMORY when the implementation cannot be made; the password
    // popup's failure. Starts the sign-in; the content is built when the
    // payment methods arrive.
    Vx::result Construct(IapClientPrivate* client);
    // Builds the detail header, the footer and the list of methods (once).
    Vx::result Create();
    // The caller resumed: the chosen method finishes its purchase.
    void EasyBuyPurchaseItemFinish();

    // Back from the card registration: the screen is usable again.
    void OnSceneActivatedN(const Vx::Ui::Scenes::SceneId& previousSceneId,
                           const Vx::Ui::Scenes::SceneId& currentSceneId,
                           Vx::Base::Collection::ArrayList* pArgs) override;

    void SetFactory(IapClientFormFactory* factory) { factory_ = factory; }
    IapClientScenePurchasePrivate* GetPrivate() const { return d_; }

protected:
    // Seam for tests: the implementation object (null when it cannot be made).
    virtual IapClientScenePurchasePrivate* CreatePrivateN();

private:
    IapClientScenePurchasePrivate* d_ = nullptr;
    IapClientFormFactory* factory_ = nullptr;
};
