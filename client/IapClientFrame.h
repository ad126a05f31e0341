#pragma once
// buyclient's one window. It receives the purchase requests, applies the
// developer overrides of the device identity, chooses the first scene,
// watches which application comes to the foreground, and makes sure that a
// caller still owed an answer gets one before buyclient ends.
#include "lib/device/IapLibBogusSystemInfo.h"
#include "lib/records/IapLibUtils.h"
#include "platform/app/IActiveAppEventListener.h"
#include "platform/app/IAppControlProviderEventListener.h"
#include "platform/base/ArrayListT.h"
#include "platform/ui/Frame.h"

class IapClientFormFactory;
class IapClientPrivate;

namespace Vx::App {
class AppControlProviderManager;
}
namespace Vx::Ui::Scenes {
class SceneManager;
}

class IapClientFrame : public Vx::Ui::Controls::Frame,
                       public Vx::App::IAppControlProviderEventListener,
                       public Vx::App::IActiveAppEventListener {
public:
    // What the requests so far have started.
    enum class RequestMode {
        None = -1,           // no purchase request accepted yet
        NewPurchase = 0,     // a new purchase runs
        ResumedPurchase = 1  // a purchase was resumed to be finished
    };
    // What became of one purchase request.
    enum class Decision {
        Accepted,
        Refused,         // answered as failed; buyclient ends
        RefusedAndGoOn,  // answered as failed; the purchase under way goes on
    };

    IapClientFrame();
    ~IapClientFrame() override;

    Vx::result Construct();
    Vx::result OnInitializing() override;
    Vx::result OnTerminating() override;

    void OnAppControlRequestReceived(Vx::App::RequestId requestId, const Vx::Base::String& operationId,
                                     const Vx::Base::String* uri, const Vx::Base::String* mimeType,
                                     const Vx::Base::Collection::IMap* extraData) override;
    void OnActiveAppChanged(const Vx::App::AppId& appId) override;

    void HandleBogusSettings(const Vx::Base::Collection::IMap* extraData);
    Decision HandlePurchaseRequest(Vx::App::RequestId requestId, const Vx::Base::Collection::IMap* extraData);

    // Ends buyclient; an answer still owed carries this status.
    void SendTerminate(IapLib::StatusCode status);
    // For screens and payment methods: through the application's frame when
    // it is ours, else by ending the application directly.
    static void SendTerminateFromAnywhere(IapLib::StatusCode status);

    RequestMode GetRequestMode() const { return requestMode_; }
    IapLib::StatusCode GetExitStatus() const { return exitStatus_; }
    IapClientPrivate* GetClient() const { return client_; }
    IapClientFormFactory* GetFormFactory() const { return formFactory_; }
    bool IsAllowedInForeground(const Vx::App::AppId& appId) const;

protected:
    // Seams for tests: how the parts are made (null when they cannot be),
    // where refusals go and how the application is asked to end.
    virtual IapClientPrivate* CreateClientN();
    virtual IapClientFormFactory* CreateFormFactoryN(IapClientPrivate& client);
    virtual void SendRefusal(Vx::App::RequestId requestId);
    virtual void RequestTermination();

private:
    Decision Refuse(Vx::App::RequestId requestId, Decision decision);
    Decision StartNewPurchase(Vx::App::RequestId requestId, int transactionId,
                              const Vx::Base::Collection::IMap* extraData);
    Decision ResumePurchase(Vx::App::RequestId requestId, int transactionId);
    void Allow(const Vx::App::AppId& appId);

    IapLibBogusSystemInfo bogusSystemInfo_;
    Vx::Base::String modeOverride_;
    Vx::App::AppControlProviderManager* providerManager_;
    Vx::Ui::Scenes::SceneManager* sceneManager_ = nullptr;
    IapClientFormFactory* formFactory_ = nullptr;
    IapClientPrivate* client_ = nullptr;
    Vx::Base::Collection::ArrayListT<Vx::Base::String> allowedApps_;
    IapLib::StatusCode exitStatus_ = IapLib::STATUS_CANCELED;
    RequestMode requestMode_ = RequestMode::None;
};
