#pragma once
// The purchase screen's state and every callback it receives: the account
// service's answers, the store's replies, the list view's provider and
// taps, the footer and password popup buttons, the self-updater, and the
// payment methods telling it that they wait for the user.
#include <vector>

#include "client/IapClientListener.h"
#include "client/payment/IapClientPaymentMethodListener.h"
#include "client/ui/LoginConfirmPopup.h"
#include "lib/device/IAppUpdateListener.h"
#include "lib/device/IOblinAccountListener.h"
#include "platform/ui/GroupedListView.h"
#include "platform/ui/IActionEventListener.h"
#include "platform/ui/IGroupedListViewItemEventListener.h"
#include "platform/ui/IGroupedListViewItemProvider.h"
#include "platform/ui/scenes/SceneTypes.h"

class AppUpdater;
class IapClientPaymentMethod;
class IapClientPrivate;
class IapClientScenePurchase;
class OblinAccount;
class WaitingPopup;

namespace Vx::Ui::Controls {
class Label;
class Panel;
}  // namespace Vx::Ui::Controls

class IapClientScenePurchasePrivate : public Vx::Ui::IActionEventListener,
                                      public IapClientListener,
                                      public Vx::Ui::Controls::IGroupedListViewItemEventListener,
                                      public Vx::Ui::Controls::IGroupedListViewItemProvider,
                                      public IOblinAccountListener,
                                      public IAppUpdateListener,
                                      public IapClientPaymentMethodListener {
public:
    // Where the front part of the purchase stands; one reply is awaited at a time.
    enum class State {
        SigningIn,           // the account service's sign-in window is open
        FetchingToken,       // the user's data is asked of the account service
        ConfirmingPassword,  // the password popup waits for the user
        CheckingPassword,    // the store checks the password
        FetchingMethods,     // the store is asked for the payment methods
        Choosing,            // the methods are shown; the user may buy
        Purchasing,          // the chosen method runs the purchase
        Ending,              // the caller is being answered; buyclient ends
    };

    static constexpr int kActionPurchase = 1;
    static constexpr int kActionTestIssueTicket = 901;
    static constexpr int kActionTestQuestion = 903;
    static constexpr int kGroupItemHeight = 52;
    static constexpr int kMethodItemHeight = 112;
    static constexpr int kElementIdBase = 2000;
    static constexpr int kHeaderHeight = 232;
    static constexpr unsigned long kErrorBoxTimeoutMs = 10000;

    explicit IapClientScenePurchasePrivate(IapClientScenePurchase* scene);
    ~IapClientScenePurchasePrivate() override;
    IapClientScenePurchasePrivate(const IapClientScenePurchasePrivate&) = delete;
    IapClientScenePurchasePrivate& operator=(const IapClientScenePurchasePrivate&) = delete;

    // Everything the scene's Construct does after the form exists.
    Vx::result Construct(IapClientPrivate* client);
    Vx::result Create();
    void EasyBuyPurchaseItemFinish();
    // The purchase scene became current again after `previousSceneId`.
    void OnSceneActivated(const Vx::Ui::Scenes::SceneId& previousSceneId);

    void OnActionPerformed(const Vx::Ui::Control& source, int actionId) override;
    void OnCheckAppUpgradeReceived(int transactionId, const Vx::Base::String& url, IapLib::StatusCode status) override;
    void OnUpdateCompleted(AppUpdater::UpdateResult updateResult) override;
    void OnAccessTokenReply(OblinAccountResult::ResultCode result, const Vx::Base::String& userId,
                            const Vx::Base::String& emailId, const Vx::Base::String& mcc,
                            const Vx::Base::String& serverUrl) override;
    void OnSignInTokenReply(OblinAccountResult::ResultCode result) override;
    void OnGroupedListViewContextItemStateChanged(Vx::Ui::Controls::GroupedListView& listView, int groupIndex,
                                                  int itemIndex, int elementId,
                                                  Vx::Ui::Controls::ListContextItemStatus status) override;
    void OnGroupedListViewItemSwept(Vx::Ui::Controls::GroupedListView& listView, int groupIndex, int itemIndex,
                                    Vx::Ui::Controls::SweepDirection direction) override;
    void OnGroupedListViewItemStateChanged(Vx::Ui::Controls::GroupedListView& listView, int groupIndex, int itemIndex,
                                           int elementId, Vx::Ui::Controls::ListItemStatus status) override;
    int GetGroupCount() override;
    int GetItemCount(int groupIndex) override;
    bool DeleteGroupItem(int groupIndex, Vx::Ui::Controls::GroupItem* groupItem, int itemWidth) override;
    bool DeleteItem(int groupIndex, int itemIndex, Vx::Ui::Controls::ListItemBase* item, int itemWidth) override;
    Vx::Ui::Controls::ListItemBase* CreateItem(int groupIndex, int itemIndex, int itemWidth) override;
    Vx::Ui::Controls::GroupItem* CreateGroupItem(int groupIndex, int itemWidth) override;
    void OnCheckPasswordReceived(int transactionId, IapCommonHttp::ErrorCode errorCode, int result) override;
    void OnPaymentMethodListReceived(int transactionId, IapCommonHttp::ErrorCode errorCode,
                                     const IapItemList<IapClientPaymentMethodInfo>& methods) override;
    void OnPaymentMethodWaitsForUser(IapClientPaymentMethod& method) override;

    // Purchase with the method at `index`; nothing for an index without one.
    void RequestPurchase(int index);
    // The name and price labels from the method at `index` ("undefined" without one).
    void UpdateItemInfo(int index);

    State GetState() const { return state_; }
    int GetSelectedIndex() const { return selectedIndex_; }
    bool IsSignedInNow() const { return signedInNow_; }
    bool HasCallerResumed() const { return callerResumed_; }
    const Vx::Base::String& GetUserId() const { return userId_; }
    int GetPaymentMethodCount() const { return static_cast<int>(methods_.size()); }
    IapClientPaymentMethod* GetPaymentMethod(int index) const;
    Vx::Ui::Controls::GroupedListView* GetListView() const { return listView_; }
    Vx::Ui::Controls::Label* GetNameLabel() const { return nameLabel_; }
    Vx::Ui::Controls::Label* GetPriceLabel() const { return priceLabel_; }
    LoginConfirmPopup& GetPasswordPopup() { return passwordPopup_; }
    WaitingPopup* GetWaitingPopup() const { return waitingPopup_; }
    bool IsPurchaseEnabled() const;

protected:
    // Seams for tests; on the device they reach the account service, the
    // message boxes, the payment method factory and the application's end.
    virtual bool IsSignedIn() const;
    virtual Vx::result StartSignIn();
    virtual Vx::result StartAccessToken();
    virtual Vx::Base::String GetAccountError() const;
    // A modal box titled "Error" with an OK button that closes by itself after 10 s.
    virtual void ShowErrorBox(const Vx::Base::String& text);
    virtual void ShowTimedErrorMessage(const Vx::Base::String& text);
    // Ends buyclient; a caller still owed an answer hears `status`.
    virtual void Terminate(IapLib::StatusCode status);
    virtual IapClientPaymentMethod* CreatePaymentMethodN(const IapClientPaymentMethodInfo& info);
    virtual void ShowPasswordPopup();
    virtual void HidePasswordPopup();
    virtual void ShowWaiting();
    virtual void HideWaiting();

private:
    void RequestPaymentMethods();
    void ConfirmPassword();
    void FailAccount(OblinAccountResult::ResultCode result, const Vx::Base::String& text);
    void BackToChoosing();
    void ShowScene(bool show);
    Vx::result CreateDetailHeader();
    Vx::result CreateFooter();
    Vx::result CreateListView();
    Vx::result AddTestHooks(int y);
    void RepaintFooter();

    IapClientScenePurchase* scene_;
    IapClientPrivate* client_ = nullptr;
    std::vector<IapClientPaymentMethod*> methods_;
    IapItemList<IapClientPaymentMethodInfo> methodInfos_;
    Vx::Ui::Controls::GroupedListView* listView_ = nullptr;
    WaitingPopup* waitingPopup_ = nullptr;
    int selectedIndex_ = -1;
    Vx::Ui::Controls::Label* nameLabel_ = nullptr;
    Vx::Ui::Controls::Label* priceLabel_ = nullptr;
    Vx::Ui::Controls::Panel* contentPanel_ = nullptr;
    OblinAccount* account_ = nullptr;
    LoginConfirmPopup passwordPopup_;
    bool signedInNow_ = false;
    Vx::Base::String userId_;
    AppUpdater* updater_ = nullptr;
    State state_ = State::SigningIn;
    bool methodsArrived_ = false;
    // The caller has resumed since this screen last asked for a ticket.
    bool callerResumed_ = false;
    Vx::Ui::Controls::Label* testQuestionAnswer_ = nullptr;
};
