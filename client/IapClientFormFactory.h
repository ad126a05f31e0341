#pragma once
// Builds buyclient's forms when the scene manager first needs them, knows the
// scene to open first, and keeps a handle on the purchase screen so that a
// resumed purchase can be finished.
#include "platform/ui/scenes/IFormFactory.h"
#include "platform/ui/scenes/SceneTypes.h"

class IapClientPrivate;
class IapClientScenePurchase;

class IapClientFormFactory : public Vx::Ui::Scenes::IFormFactory {
public:
    explicit IapClientFormFactory(IapClientPrivate* client);
    ~IapClientFormFactory() override;

    // Null for an unknown form id or when the form cannot be made; the new
    // form listens to its scene.
    Vx::Ui::Controls::Form* CreateFormN(const Vx::Base::String& formId,
                                        const Vx::Ui::Scenes::SceneId& sceneId) override;

    void SetStartScene(const Vx::Ui::Scenes::SceneId& sceneId) { startScene_ = sceneId; }
    Vx::Ui::Scenes::SceneId GetStartScene() const { return startScene_; }
    // Goes forward to the start scene; the scene manager's result.
    Vx::result Start();
    // Lets the purchase screen finish a resumed purchase; nothing without one.
    void EasyBuyPurchaseItemFinish();

    IapClientScenePurchase* GetPurchaseScreen() const { return purchaseScreen_; }
    // Called by the purchase screen as it goes away.
    void OnPurchaseScreenDestroyed(IapClientScenePurchase* screen);

private:
    Vx::Ui::Controls::Form* CreatePurchaseFormN();
    Vx::Ui::Controls::Form* CreateCreditCardRegisterFormN();
    Vx::Ui::Controls::Form* CreateSecurityCodeHelpFormN();
    Vx::Ui::Controls::Form* CreatePlaceholderN(const Vx::Base::String& name, const Vx::Base::String& title);

    Vx::Ui::Scenes::SceneId startScene_;
    IapClientPrivate* client_;
    IapClientScenePurchase* purchaseScreen_ = nullptr;
};
