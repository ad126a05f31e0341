#pragma once
// Base of buyclient's scenes: a form with indicator, header and footer whose
// client area is laid out by a grid, a footer back button that goes to the
// previous scene (and ends buyclient from the first one), and no-op scene and
// orientation handlers for derived scenes to replace.
#include "client/ui/widgets/IapGridLayout.h"
#include "lib/records/IapLibUtils.h"
#include "platform/ui/Form.h"
#include "platform/ui/scenes/ISceneEventListener.h"

class IapForm : public Vx::Ui::Controls::Form,
                public Vx::Ui::Scenes::ISceneEventListener,
                public Vx::Ui::Controls::IFormBackEventListener,
                public Vx::Ui::IOrientationEventListener {
public:
    static constexpr int kDefaultStyle = Vx::Ui::Controls::FORM_STYLE_INDICATOR | Vx::Ui::Controls::FORM_STYLE_HEADER |
                                         Vx::Ui::Controls::FORM_STYLE_FOOTER;

    IapForm() = default;
    ~IapForm() override;

    Vx::result Construct(int rows, int columns);
    // E_INVALID_STATE when the style has no footer (the back button needs one).
    Vx::result Construct(int rows, int columns, int formStyle);

    using Form::AddControl;
    // Adds the control to the form and places it in the grid; on failure the caller keeps it.
    Vx::result AddControl(Vx::Ui::Control* control, int row, int column, int rowSpan = 1, int columnSpan = 1);
    Vx::result SetAllColumnsStretchable(bool stretchable);
    IapGridLayout& GetGridLayout() { return grid_; }

    void OnSceneActivatedN(const Vx::Ui::Scenes::SceneId& previousSceneId,
                           const Vx::Ui::Scenes::SceneId& currentSceneId,
                           Vx::Base::Collection::ArrayList* pArgs) override;
    void OnSceneDeactivated(const Vx::Ui::Scenes::SceneId& currentSceneId,
                            const Vx::Ui::Scenes::SceneId& nextSceneId) override;
    void OnFormBackRequested(Vx::Ui::Controls::Form& source) override;
    void OnOrientationChanged(const Vx::Ui::Control& source,
                              Vx::Ui::Controls::OrientationStatus orientationStatus) override;

    // Answers a caller still owed with `status` and ends buyclient.
    static void SendTerminate(IapLib::StatusCode status);

protected:
    // Seam for tests: how the application is asked to end from the first scene.
    virtual void TerminateFromFirstScene();

private:
    IapGridLayout grid_;
};
