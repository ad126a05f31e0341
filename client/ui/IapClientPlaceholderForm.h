#pragma once
// Stands for a screen whose own form class is not written yet: a form with a
// header showing the scene's title and a back button, so that scenes can be
// entered and left. Each real screen class replaces it in the form factory.
#include "platform/ui/Form.h"
#include "platform/ui/scenes/ISceneEventListener.h"

class IapClientPlaceholderForm : public Vx::Ui::Controls::Form,
                                 public Vx::Ui::Scenes::ISceneEventListener,
                                 public Vx::Ui::Controls::IFormBackEventListener {
public:
    IapClientPlaceholderForm() = default;
    ~IapClientPlaceholderForm() override = default;

    // The header shows `title`; the form's automation name is `name`.
    Vx::result Construct(const Vx::Base::String& name, const Vx::Base::String& title);

    void OnSceneActivatedN(const Vx::Ui::Scenes::SceneId& previousSceneId,
                           const Vx::Ui::Scenes::SceneId& currentSceneId,
                           Vx::Base::Collection::ArrayList* pArgs) override;
    void OnSceneDeactivated(const Vx::Ui::Scenes::SceneId& currentSceneId,
                            const Vx::Ui::Scenes::SceneId& nextSceneId) override;
    // Back goes to the previous scene; from the first scene it ends buyclient.
    void OnFormBackRequested(Vx::Ui::Controls::Form& source) override;
};
