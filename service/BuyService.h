#pragma once
// buyservice: answers the item-list, purchased-item-list and country-list
// operations of other applications, one request per process.
#include "lib/device/AppUpdater.h"
#include "lib/device/IAppUpdateListener.h"
#include "lib/device/OblinAccount.h"
#include "lib/protocol/IapCommonHttpTypes.h"
#include "lib/protocol/IapListener.h"
#include "platform/app/AppControlProviderManager.h"
#include "platform/app/IAppControlProviderEventListener.h"
#include "platform/app/ServiceApp.h"
#include "platform/base/HashMap.h"

class BuyServiceHttpSession;

class BuyServiceApp : public Vx::App::ServiceApp,
                      public Vx::App::IAppControlProviderEventListener,
                      public IapListener,
                      public IOblinAccountListener,
                      public IAppUpdateListener {
public:
    static Vx::App::ServiceApp* CreateInstance();

    BuyServiceApp();
    ~BuyServiceApp() override;

    bool OnAppInitializing(Vx::App::AppRegistry& appRegistry) override;
    bool OnAppInitialized() override;
    bool OnAppWillTerminate() override;
    bool OnAppTerminating(Vx::App::AppRegistry& appRegistry, bool urgentTermination) override;
    void OnLowMemory() override;
    void OnBatteryLevelChanged(Vx::App::BatteryLevel batteryLevel) override;

    void OnAppControlRequestReceived(Vx::App::RequestId requestId, const Vx::Base::String& operationId,
                                     const Vx::Base::String* uriData, const Vx::Base::String* mimeType,
                                     const Vx::Base::Collection::IMap* extraData) override;
    void OnAppControlRequestAbandoned(Vx::App::RequestId requestId) override;

    void OnCountryListReceived(int transactionId, IapLib::StatusCode status,
                               const Vx::Base::Collection::ArrayList& countries) override;
    void OnItemInformationListReceived(int transactionId, IapLib::StatusCode status,
                                       const IapItemList<IapItemInformation>& list) override;
    void OnPurchasedItemInformationListReceived(int transactionId, IapLib::StatusCode status,
                                                const IapItemList<IapPurchasedItemInformation>& list) override;
    void OnPurchaseItemInitialized(int transactionId, IapLib::StatusCode status,
                                   const IapPurchaseTicket& ticket) override;
    void OnPurchaseItemFinished(int transactionId, IapLib::StatusCode status,
                                const IapPurchasedItemInformation& item) override;
    void OnCheckAppUpgradeReceived(int transactionId, const Vx::Base::String& downloadUrl,
                                   IapLib::StatusCode status) override;

    void OnAccessTokenReply(OblinAccountResult::ResultCode result, const Vx::Base::String& userId,
                            const Vx::Base::String& emailId, const Vx::Base::String& mcc,
                            const Vx::Base::String& serverUrl) override;
    void OnSignInTokenReply(OblinAccountResult::ResultCode result) override;

    void OnUpdateCompleted(AppUpdater::UpdateResult result) override;

private:
    bool MatchOperation(const Vx::Base::String& operationId, IapCommonHttp::FunctionId& function) const;
    void ApplyDeveloperOverrides(const Vx::Base::Collection::IMap* extraData);
    void ReadRequest(const Vx::Base::Collection::IMap* extraData);
    void ContinueAfterUpgradeCheck();
    void RequestPurchasedItems();
    void AnswerFailedList(IapLib::StatusCode status);
    void AnswerAccountFailure(int accountResult);
    template <typename List>
    void AnswerList(const List& list, Vx::result (*writer)(const List&, Vx::Base::Collection::HashMap*),
                    int transactionId, const wchar_t* method, IapLib::StatusCode status);
    void AnswerAndEnd(Vx::App::AppCtrlResult result, const Vx::Base::Collection::IMap* extraData);

    BuyServiceHttpSession* session_ = nullptr;
    long pendingRequestId_ = -1;
    Vx::Base::String userId_;
    bool signedIn_ = false;
    Vx::Base::String itemGroupId_;
    int transactionId_ = -1;
    int startNumber_ = 0;
    int endNumber_ = 0;
    IapCommonHttp::FunctionId requestedFunction_ = IapCommonHttp::FUNCTION_NONE;
    OblinAccount account_;
    AppUpdater* updater_ = nullptr;
    bool updating_ = false;        // an update was started and its end is awaited
    bool startingUpdate_ = false;  // inside AppUpdater::Update, whose early failures report at once
};
