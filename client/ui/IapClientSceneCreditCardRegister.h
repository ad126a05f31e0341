#pragma once
// The card registration screen. The credit card method opens it when the
// store knows no usable card, passing itself as the scene's argument; the
// user picks a card company, types the number, the security code and the
// expiry, and "Register" hands the five values to that method, which sends
// them and, on success, goes back to the purchase screen. The screen checks
// nothing beyond what its fields allow (digits, lengths): the store judges.
#include <array>
#include <vector>

#include "client/payment/IapClientPaymentCreditCardCompany.h"
#include "platform/ui/Form.h"
#include "platform/ui/GroupedTableView.h"
#include "platform/ui/IActionEventListener.h"
#include "platform/ui/IGroupedTableViewItemEventListener.h"
#include "platform/ui/IGroupedTableViewItemProvider.h"
#include "platform/ui/scenes/ISceneEventListener.h"

class IapClientPaymentCreditCard;

namespace Vx::Graphics {
class Bitmap;
}
namespace Vx::Ui::Controls {
class EditField;
}

class IapClientSceneCreditCardRegister : public Vx::Ui::Controls::Form,
                                         public Vx::Ui::Scenes::ISceneEventListener,
                                         public Vx::Ui::IActionEventListener,
                                         public Vx::Ui::Controls::IFormBackEventListener,
                                         public Vx::Ui::Controls::IGroupedTableViewItemEventListener,
                                         public Vx::Ui::Controls::IGroupedTableViewItemProvider {
public:
    // The table's groups, top to bottom.
    enum GroupId {
        GROUP_BASIC_INFO = 0,
        GROUP_CARD_TYPE = 1,
        GROUP_CARD_NUMBER = 2,
        GROUP_SECURITY_CODE = 3,
        GROUP_EXPIRATION_DATE = 4,
        GROUP_MONTH = 5,
        GROUP_YEAR = 6,
        GROUP_COUNT = 7,
    };

    static constexpr int kRegisterActionId = 52;
    static constexpr int kSecurityCodeHelpActionId = 1;

    static constexpr int kCardNumberLimit = 16;
    static constexpr int kSecurityCodeLimit = 100;
    static constexpr int kMonthLimit = 2;
    static constexpr int kYearLimit = 4;

    static constexpr int kSectionHeight = 78;
    static constexpr int kFieldGroupHeight = 140;
    static constexpr int kCompanyItemHeight = 112;
    static constexpr int kDefaultItemHeight = 100;

    // Automation names (docs/ui-automation.md).
    static constexpr const wchar_t* kFormName = L"creditCardRegister";
    static constexpr const wchar_t* kTableName = L"cardTable";
    static constexpr const wchar_t* kCardNumberName = L"cardNumber";
    static constexpr const wchar_t* kSecurityCodeName = L"securityCode";
    static constexpr const wchar_t* kMonthName = L"month";
    static constexpr const wchar_t* kYearName = L"year";
    static constexpr const wchar_t* kCardTypeLabelName = L"CONTROL_CARDTYPE_LABEL";
    static constexpr const wchar_t* kDirectionLabelName = L"CONTROL_DIRECTION_LABEL";
    static constexpr const wchar_t* kHelpButtonName = L"CVC";
    static constexpr const wchar_t* kCompanyNamePrefix = L"cardCompany";

    IapClientSceneCreditCardRegister();
    ~IapClientSceneCreditCardRegister() override;

    // Header, table and footer; the first failure is returned (a form
    // without header or footer: E_FAILURE).
    Vx::result Construct();
    // Fits the table to the client area once the form is on a frame.
    Vx::result OnInitializing() override;

    // With exactly one argument, the credit card method: its companies are
    // taken and the first is chosen. Without it (the return from the help
    // scene), everything typed and chosen stays. The list is ours to delete;
    // its element is the caller's.
    void OnSceneActivatedN(const Vx::Ui::Scenes::SceneId& previousSceneId,
                           const Vx::Ui::Scenes::SceneId& currentSceneId,
                           Vx::Base::Collection::ArrayList* pArgs) override;
    void OnSceneDeactivated(const Vx::Ui::Scenes::SceneId& currentSceneId,
                            const Vx::Ui::Scenes::SceneId& nextSceneId) override;
    // 52 registers (only with a method), 1 opens the security code help.
    void OnActionPerformed(const Vx::Ui::Control& source, int actionId) override;
    // Back one scene; a failure to go back is ignored.
    void OnFormBackRequested(Vx::Ui::Controls::Form& source) override;

    // The selected company's code; empty when none is selected.
    Vx::Base::String GetCardType() const;
    // The fields' texts; empty when a field does not exist.
    Vx::Base::String GetCardNo() const;
    Vx::Base::String GetEditVerifyCode() const;
    Vx::Base::String GetEditExpireMonth() const;
    Vx::Base::String GetEditExpireYear() const;

    IapClientPaymentCreditCard* GetPaymentMethod() const { return paymentMethod_; }
    int GetSelectedCompany() const { return selectedCompany_; }
    const std::vector<IapClientPaymentCreditCardCompany>& GetCardCompanies() const { return companies_; }
    Vx::Ui::Controls::GroupedTableView* GetTableView() const { return tableView_; }

    // Item events.
    void OnGroupedTableViewGroupItemStateChanged(Vx::Ui::Controls::GroupedTableView& tableView, int groupIndex,
                                                 Vx::Ui::Controls::TableViewGroupItem* groupItem,
                                                 Vx::Ui::Controls::TableViewItemStatus status) override;
    void OnGroupedTableViewItemStateChanged(Vx::Ui::Controls::GroupedTableView& tableView, int groupIndex,
                                            int itemIndex, Vx::Ui::Controls::TableViewItem* item,
                                            Vx::Ui::Controls::TableViewItemStatus status) override;

    // Item provider. Groups have no items of their own: the companies are
    // added to the card type group when it is first tapped.
    int GetGroupCount() override;
    int GetItemCount(int groupIndex) override;
    Vx::Ui::Controls::TableViewGroupItem* CreateGroupItem(int groupIndex, int itemWidth) override;
    Vx::Ui::Controls::TableViewItem* CreateItem(int groupIndex, int itemIndex, int itemWidth) override;
    bool DeleteGroupItem(int groupIndex, Vx::Ui::Controls::TableViewGroupItem* groupItem) override;
    bool DeleteItem(int groupIndex, int itemIndex, Vx::Ui::Controls::TableViewItem* item) override;
    void UpdateGroupItem(int groupIndex, Vx::Ui::Controls::TableViewGroupItem* groupItem) override;
    void UpdateItem(int groupIndex, int itemIndex, Vx::Ui::Controls::TableViewItem* item) override;
    int GetDefaultGroupItemHeight() override;
    int GetDefaultItemHeight() override;

    // A bitmap of the application's resources; null when it cannot be read.
    static Vx::Graphics::Bitmap* LoadBitmapN(const Vx::Base::String& name);

protected:
    // Seam for tests: the scene change the "?" button asks for.
    virtual Vx::result GoToSecurityCodeHelp();

private:
    Vx::result CreateHeader();
    Vx::result CreateTableView();
    Vx::result CreateFooter();
    Vx::result AddTitle(Vx::Ui::Controls::TableViewGroupItem& item, int groupIndex, int itemWidth);
    Vx::result AddFieldControls(Vx::Ui::Controls::TableViewGroupItem& item, int groupIndex, int itemWidth);
    Vx::result AddCardTypeControls(Vx::Ui::Controls::TableViewGroupItem& item, int itemWidth);
    Vx::result AddHelpButton(Vx::Ui::Controls::TableViewGroupItem& item, int itemWidth);
    Vx::Ui::Controls::EditField* CreateEditField(const Vx::Graphics::Rectangle& bounds, int limit);
    void ToggleCardTypeList();
    void SelectCompany(int index);
    void RemoveCompanyItems();
    void RedrawGroupItem(int groupIndex);
    Vx::Base::String SelectedCompanyName() const;

    std::vector<IapClientPaymentCreditCardCompany> companies_;
    IapClientPaymentCreditCard* paymentMethod_ = nullptr;
    int selectedCompany_ = -1;
    Vx::Ui::Controls::EditField* cardNumberField_ = nullptr;
    Vx::Ui::Controls::EditField* securityCodeField_ = nullptr;
    Vx::Ui::Controls::EditField* monthField_ = nullptr;
    Vx::Ui::Controls::EditField* yearField_ = nullptr;
    Vx::Ui::Controls::GroupedTableView* tableView_ = nullptr;
    std::array<Vx::Base::String, GROUP_COUNT> titles_;
};
