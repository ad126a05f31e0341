#pragma once
// The help scene that shows where a card's security code is found. Back
// returns to the card registration scene that opened it.
#include "platform/ui/Form.h"
#include "platform/ui/scenes/ISceneEventListener.h"

class IapClientSceneSecurityCodeHelp : public Vx::Ui::Controls::Form,
                                       public Vx::Ui::Scenes::ISceneEventListener,
                                       public Vx::Ui::Controls::IFormBackEventListener {
public:
    static constexpr int kMargin = 38;
    static constexpr int kTitleHeight = 38;
    static constexpr int kPictureWidth = 720;
    static constexpr int kPictureHeight = 480;

    IapClientSceneSecurityCodeHelp() = default;
    ~IapClientSceneSecurityCodeHelp() override;

    // E_INVALID_STATE when the form has no header.
    Vx::result Construct();
    // Builds the title, the picture and the description.
    Vx::result OnInitializing() override;

    void OnSceneActivatedN(const Vx::Ui::Scenes::SceneId& previousSceneId,
                           const Vx::Ui::Scenes::SceneId& currentSceneId,
                           Vx::Base::Collection::ArrayList* pArgs) override;
    void OnSceneDeactivated(const Vx::Ui::Scenes::SceneId& currentSceneId,
                            const Vx::Ui::Scenes::SceneId& nextSceneId) override;
    void OnFormBackRequested(Vx::Ui::Controls::Form& source) override;

private:
    bool built_ = false;
};
