#include "client/ui/IapClientSceneCreditCardRegister.h"

#include <memory>
#include <new>

#include "client/IapClientScenes.h"
#include "client/IapResourceManager.h"
#include "client/payment/IapClientPaymentCreditCard.h"
#include "platform/base/ArrayList.h"
#include "platform/base/DateTime.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/Button.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/EditField.h"
#include "platform/ui/Font.h"
#include "platform/ui/Footer.h"
#include "platform/ui/FooterItem.h"
#include "platform/ui/Frame.h"
#include "platform/ui/Header.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableViewGroupItem.h"
#include "platform/ui/TableViewItem.h"
#include "platform/ui/scenes/BackwardSceneTransition.h"
#include "platform/ui/scenes/ForwardSceneTransition.h"
#include "platform/ui/scenes/SceneManager.h"

using namespace Vx;
using namespace Vx::Ui::Controls;
using Vx::Base::String;
using Vx::Graphics::Bitmap;
using Vx::Graphics::Color;
using Vx::Graphics::Rectangle;

namespace {

const Color kBlue(59, 115, 182);
const Color kBlack(0, 0, 0);

constexpr int kMargin = 36;
constexpr int kControlY = 76;
constexpr int kControlHeight = 42;
constexpr int kHelpButtonSize = 72;
constexpr int kDirectionSize = 74;

constexpr const wchar_t* kExpandClosed = L"R01_button_expand_closed.png";
constexpr const wchar_t* kExpandOpened = L"R01_button_expand_opened.png";

bool IsSectionHeader(int group) {
    return group == IapClientSceneCreditCardRegister::GROUP_BASIC_INFO ||
           group == IapClientSceneCreditCardRegister::GROUP_EXPIRATION_DATE;
}

// The background of each field group: the groups of a section form one rounded block.
const wchar_t* BackgroundOf(int group) {
    switch (group) {
    case IapClientSceneCreditCardRegister::GROUP_CARD_TYPE:
    case IapClientSceneCreditCardRegister::GROUP_MONTH:
        return L"00_list_group_bg_top_9_normal.png";
    case IapClientSceneCreditCardRegister::GROUP_CARD_NUMBER:
        return L"00_list_group_bg_center_9_normal.png";
    default:
        return L"00_list_group_bg_bottom_9_normal.png";
    }
}

// Adds a control the container then owns; on failure the control is deleted.
template <typename T>
result Adopt(Ui::Container& container, std::unique_ptr<T>& control) {
    result r = container.AddControl(control.get());
    if (r == E_SUCCESS) control.release();
    return r;
}

void SetLabelBitmap(Label* label, const wchar_t* name) {
    if (!label) return;
    std::unique_ptr<Bitmap> bitmap(IapClientSceneCreditCardRegister::LoadBitmapN(name));
    // A missing picture leaves the label blank.
    if (bitmap) label->SetBackgroundBitmap(*bitmap);
}

String NumberText(int value) {
    String text;
    text.Append(value);
    return text;
}

}  // namespace

IapClientSceneCreditCardRegister::IapClientSceneCreditCardRegister() = default;

IapClientSceneCreditCardRegister::~IapClientSceneCreditCardRegister() {
    SetFormBackEventListener(nullptr);
    if (Footer* footer = GetFooter()) footer->RemoveActionEventListener(*this);
    // The view deletes its rows without asking us; the fields go with them.
    cardNumberField_ = securityCodeField_ = monthField_ = yearField_ = nullptr;
}

result IapClientSceneCreditCardRegister::Construct() {
    titles_ = {String(L"Basic info"),      String(L"Card type"), String(L"Card number"), String(L"Security code"),
               String(L"Expiration date"), String(L"Month"),     String(L"Year")};
    result r = Form::Construct(FORM_STYLE_INDICATOR | FORM_STYLE_HEADER | FORM_STYLE_FOOTER);
    if (r != E_SUCCESS) return r;
    SetName(kFormName);
    if ((r = CreateHeader()) != E_SUCCESS) return r;
    if ((r = CreateTableView()) != E_SUCCESS) return r;
    return CreateFooter();
}

result IapClientSceneCreditCardRegister::CreateHeader() {
    Header* header = GetHeader();
    if (!header) return E_FAILURE;
    String title;
    IapResourceManager::GetStringFromID(L"IDS_ZUMEA_HEADER_REGISTER_CREDIT_CARD").ToUpperCase(title);
    return header->SetTitleText(title);
}

result IapClientSceneCreditCardRegister::CreateTableView() {
    Rectangle area = GetClientAreaBounds();
    // A form not yet on a frame has no client area: assume the phone's screen.
    if (area.width <= 0 || area.height <= 0) {
        area.width = Frame::SCREEN_WIDTH;
        area.height = Frame::SCREEN_HEIGHT - INDICATOR_HEIGHT - HEADER_HEIGHT - FOOTER_HEIGHT;
    }
    std::unique_ptr<GroupedTableView> view(new (std::nothrow) GroupedTableView());
    if (!view) return E_OUT_OF_MEMORY;
    result r = view->Construct(Rectangle{0, 0, area.width, area.height}, false, TABLE_VIEW_SCROLL_BAR_STYLE_NONE);
    if (r != E_SUCCESS) return r;
    // Rows are named after the view, so it is named before they are built.
    view->SetName(kTableName);
    GroupedTableView* raw = view.get();
    if ((r = Adopt(*this, view)) != E_SUCCESS) return r;
    tableView_ = raw;
    if ((r = tableView_->AddGroupedTableViewItemEventListener(*this)) != E_SUCCESS) return r;
    if ((r = tableView_->SetItemProvider(*this)) != E_SUCCESS) return r;
    // The companies are not there yet: the card type group starts closed.
    tableView_->CollapseGroup(GROUP_CARD_TYPE);
    RedrawGroupItem(GROUP_CARD_TYPE);
    return E_SUCCESS;
}

result IapClientSceneCreditCardRegister::CreateFooter() {
    Footer* footer = GetFooter();
    if (!footer) return E_FAILURE;
    result r = footer->SetBackButton();
    if (r != E_SUCCESS) return r;
    FooterItem item;
    if ((r = item.Construct(kRegisterActionId)) != E_SUCCESS) return r;
    if ((r = item.SetText(IapResourceManager::GetStringFromID(L"IDS_ZUMEA_SK3_REGISTER"))) != E_SUCCESS) return r;
    if ((r = footer->AddItem(item)) != E_SUCCESS) return r;
    footer->AddActionEventListener(*this);
    SetFormBackEventListener(this);
    return E_SUCCESS;
}

result IapClientSceneCreditCardRegister::OnInitializing() {
    const Rectangle area = GetClientAreaBounds();
    if (tableView_ && area.width > 0 && area.height > 0) {
        tableView_->SetBounds(Rectangle{0, 0, area.width, area.height});
    }
    return E_SUCCESS;
}

void IapClientSceneCreditCardRegister::OnSceneActivatedN(const Ui::Scenes::SceneId&, const Ui::Scenes::SceneId&,
                                                         Base::Collection::ArrayList* pArgs) {
    // The list is ours (the scene manager hands it to its first listener); its element is not.
    std::unique_ptr<Base::Collection::ArrayList> args(pArgs);
    auto* method = args && args->GetCount() == 1 ? dynamic_cast<IapClientPaymentCreditCard*>(args->GetAt(0)) : nullptr;
    if (method) {
        paymentMethod_ = method;
        // Company rows of an earlier list would show stale names.
        RemoveCompanyItems();
        companies_ = method->GetCardCompanies();
        selectedCompany_ = companies_.empty() ? -1 : 0;
    }
    if (tableView_) {
        tableView_->UpdateTableView();
        RedrawGroupItem(GROUP_CARD_TYPE);
    }
}

void IapClientSceneCreditCardRegister::OnSceneDeactivated(const Ui::Scenes::SceneId&, const Ui::Scenes::SceneId&) {}

void IapClientSceneCreditCardRegister::OnActionPerformed(const Ui::Control&, int actionId) {
    if (actionId == kRegisterActionId) {
        if (!paymentMethod_) return;
        paymentMethod_->SendRegisterCreditCardRequest(GetCardType(), GetCardNo(), GetEditExpireYear(),
                                                      GetEditExpireMonth(), GetEditVerifyCode());
    } else if (actionId == kSecurityCodeHelpActionId) {
        GoToSecurityCodeHelp();
    }
}

result IapClientSceneCreditCardRegister::GoToSecurityCodeHelp() {
    Ui::Scenes::SceneManager* scenes = Ui::Scenes::SceneManager::GetInstance();
    if (!scenes) return E_INVALID_STATE;
    return scenes->GoForward(Ui::Scenes::ForwardSceneTransition(IapClientScenes::kSceneSecurityCodeHelp));
}

void IapClientSceneCreditCardRegister::OnFormBackRequested(Form&) {
    Ui::Scenes::SceneManager* scenes = Ui::Scenes::SceneManager::GetInstance();
    if (scenes) scenes->GoBackward(Ui::Scenes::BackwardSceneTransition());
}

String IapClientSceneCreditCardRegister::GetCardType() const {
    if (selectedCompany_ < 0 || selectedCompany_ >= static_cast<int>(companies_.size())) return String();
    return companies_[static_cast<std::size_t>(selectedCompany_)].code;
}

String IapClientSceneCreditCardRegister::GetCardNo() const {
    return cardNumberField_ ? cardNumberField_->GetText() : String();
}

String IapClientSceneCreditCardRegister::GetEditVerifyCode() const {
    return securityCodeField_ ? securityCodeField_->GetText() : String();
}

String IapClientSceneCreditCardRegister::GetEditExpireMonth() const {
    return monthField_ ? monthField_->GetText() : String();
}

String IapClientSceneCreditCardRegister::GetEditExpireYear() const {
    return yearField_ ? yearField_->GetText() : String();
}

String IapClientSceneCreditCardRegister::SelectedCompanyName() const {
    if (selectedCompany_ < 0 || selectedCompany_ >= static_cast<int>(companies_.size())) return String();
    return companies_[static_cast<std::size_t>(selectedCompany_)].name;
}

void IapClientSceneCreditCardRegister::OnGroupedTableViewGroupItemStateChanged(GroupedTableView&, int groupIndex,
                                                                               TableViewGroupItem*,
                                                                               TableViewItemStatus status) {
    if (groupIndex == GROUP_CARD_TYPE && status == TABLE_VIEW_ITEM_STATUS_SELECTED) ToggleCardTypeList();
    RedrawGroupItem(groupIndex);
}

void IapClientSceneCreditCardRegister::ToggleCardTypeList() {
    if (!tableView_) return;
    const int companies = static_cast<int>(companies_.size());
    if (tableView_->GetItemCountAt(GROUP_CARD_TYPE) != companies) {
        RemoveCompanyItems();
        for (int i = 0; i < companies; ++i)
            tableView_->RefreshItem(GROUP_CARD_TYPE, i, TABLE_VIEW_REFRESH_TYPE_ITEM_ADD);
        if (selectedCompany_ >= 0 && selectedCompany_ < companies) {
            tableView_->SetItemChecked(GROUP_CARD_TYPE, selectedCompany_, true);
        }
        tableView_->ExpandGroup(GROUP_CARD_TYPE);
    } else if (tableView_->IsGroupExpanded(GROUP_CARD_TYPE)) {
        tableView_->CollapseGroup(GROUP_CARD_TYPE);
    } else {
        tableView_->ExpandGroup(GROUP_CARD_TYPE);
    }
}

void IapClientSceneCreditCardRegister::OnGroupedTableViewItemStateChanged(GroupedTableView& view, int groupIndex,
                                                                          int itemIndex, TableViewItem*,
                                                                          TableViewItemStatus status) {
    if (groupIndex != GROUP_CARD_TYPE) return;
    if (status == TABLE_VIEW_ITEM_STATUS_CHECKED) {
        SelectCompany(itemIndex);
    } else if (status == TABLE_VIEW_ITEM_STATUS_UNCHECKED) {
        // A radio choice: the company tapped again stays chosen.
        view.SetItemChecked(GROUP_CARD_TYPE, itemIndex, true);
    }
}

void IapClientSceneCreditCardRegister::SelectCompany(int index) {
    selectedCompany_ = index;
    RedrawGroupItem(GROUP_CARD_TYPE);
    const int count = tableView_->GetItemCountAt(GROUP_CARD_TYPE);
    for (int i = 0; i < count; ++i) {
        if (i != index && tableView_->IsItemChecked(GROUP_CARD_TYPE, i)) {
            tableView_->SetItemChecked(GROUP_CARD_TYPE, i, false);
        }
    }
}

void IapClientSceneCreditCardRegister::RemoveCompanyItems() {
    if (!tableView_) return;
    for (int i = tableView_->GetItemCountAt(GROUP_CARD_TYPE) - 1; i >= 0; --i) {
        tableView_->RefreshItem(GROUP_CARD_TYPE, i, TABLE_VIEW_REFRESH_TYPE_ITEM_REMOVE);
    }
}

void IapClientSceneCreditCardRegister::RedrawGroupItem(int groupIndex) {
    if (tableView_) tableView_->RefreshItem(groupIndex, -1, TABLE_VIEW_REFRESH_TYPE_ITEM_MODIFY);
}

int IapClientSceneCreditCardRegister::GetGroupCount() { return GROUP_COUNT; }

int IapClientSceneCreditCardRegister::GetItemCount(int) { return 0; }

int IapClientSceneCreditCardRegister::GetDefaultGroupItemHeight() { return kDefaultItemHeight; }

int IapClientSceneCreditCardRegister::GetDefaultItemHeight() { return kDefaultItemHeight; }

TableViewGroupItem* IapClientSceneCreditCardRegister::CreateGroupItem(int groupIndex, int itemWidth) {
    if (groupIndex < 0 || groupIndex >= GROUP_COUNT) return nullptr;
    std::unique_ptr<TableViewGroupItem> item(new (std::nothrow) TableViewGroupItem());
    if (!item) return nullptr;
    const int height = IsSectionHeader(groupIndex) ? kSectionHeight : kFieldGroupHeight;
    if (item->Construct(Graphics::Dimension{itemWidth, height}) != E_SUCCESS) return nullptr;
    if (AddTitle(*item, groupIndex, itemWidth) != E_SUCCESS) return nullptr;
    if (IsSectionHeader(groupIndex)) {
        // A tap on a section title shows nothing.
        item->SetBackgroundColor(item->GetBackgroundColor(TABLE_VIEW_ITEM_DRAWING_STATUS_NORMAL),
                                 TABLE_VIEW_ITEM_DRAWING_STATUS_PRESSED);
        return item.release();
    }
    if (AddFieldControls(*item, groupIndex, itemWidth) != E_SUCCESS) {
        // The fields went with the item.
        DeleteGroupItem(groupIndex, nullptr);
        return nullptr;
    }
    std::unique_ptr<Bitmap> background(LoadBitmapN(BackgroundOf(groupIndex)));
    if (background) {
        item->SetBackgroundBitmap(*background, TABLE_VIEW_ITEM_DRAWING_STATUS_NORMAL);
        item->SetBackgroundBitmap(*background, TABLE_VIEW_ITEM_DRAWING_STATUS_PRESSED);
    }
    return item.release();
}

result IapClientSceneCreditCardRegister::AddTitle(TableViewGroupItem& item, int groupIndex, int itemWidth) {
    const bool section = IsSectionHeader(groupIndex);
    std::unique_ptr<Label> title(new (std::nothrow) Label());
    if (!title) return E_OUT_OF_MEMORY;
    result r = title->Construct(Rectangle{kMargin, section ? 32 : 22, itemWidth - 2 * kMargin, section ? 46 : 54},
                                titles_[static_cast<std::size_t>(groupIndex)]);
    if (r != E_SUCCESS) return r;
    title->SetTextConfig(section ? 32 : 44, section ? LABEL_TEXT_STYLE_BOLD : LABEL_TEXT_STYLE_NORMAL);
    title->SetTextColor(section ? kBlue : kBlack);
    title->SetTextHorizontalAlignment(ALIGNMENT_LEFT);
    title->SetTextVerticalAlignment(ALIGNMENT_MIDDLE);
    return Adopt(item, title);
}

result IapClientSceneCreditCardRegister::AddFieldControls(TableViewGroupItem& item, int groupIndex, int itemWidth) {
    const Rectangle bounds{kMargin, kControlY, itemWidth - 160, kControlHeight};
    if (groupIndex == GROUP_CARD_TYPE) return AddCardTypeControls(item, itemWidth);

    int limit = kCardNumberLimit;
    const wchar_t* name = kCardNumberName;
    String preset;
    const Base::DateTime today = Base::DateTime::GetCurrentUtc();
    switch (groupIndex) {
    case GROUP_SECURITY_CODE:
        limit = kSecurityCodeLimit;
        name = kSecurityCodeName;
        break;
    case GROUP_MONTH:
        limit = kMonthLimit;
        name = kMonthName;
        preset = NumberText(today.GetMonth());  // 3, not 03
        break;
    case GROUP_YEAR:
        limit = kYearLimit;
        name = kYearName;
        preset = NumberText(today.GetYear());
        break;
    default:
        break;
    }
    std::unique_ptr<EditField> field(CreateEditField(bounds, limit));
    if (!field) return E_FAILURE;
    field->SetName(name);
    if (groupIndex == GROUP_CARD_NUMBER || groupIndex == GROUP_SECURITY_CODE) {
        // Shown to the user, but never handed to automation or logs in clear.
        field->SetSensitive(true);
    }
    if (!preset.IsEmpty()) field->SetText(preset);
    EditField* raw = field.get();
    result r = Adopt(item, field);
    if (r != E_SUCCESS) return r;
    switch (groupIndex) {
    case GROUP_CARD_NUMBER:
        cardNumberField_ = raw;
        break;
    case GROUP_SECURITY_CODE:
        securityCodeField_ = raw;
        return AddHelpButton(item, itemWidth);
    case GROUP_MONTH:
        monthField_ = raw;
        break;
    case GROUP_YEAR:
        yearField_ = raw;
        break;
    default:
        break;
    }
    return E_SUCCESS;
}

result IapClientSceneCreditCardRegister::AddCardTypeControls(TableViewGroupItem& item, int itemWidth) {
    std::unique_ptr<Label> type(new (std::nothrow) Label());
    if (!type) return E_OUT_OF_MEMORY;
    result r = type->Construct(Rectangle{kMargin, kControlY, itemWidth - 160, kControlHeight}, SelectedCompanyName());
    if (r != E_SUCCESS) return r;
    type->SetName(kCardTypeLabelName);
    type->SetTextConfig(32, LABEL_TEXT_STYLE_NORMAL);
    type->SetTextColor(kBlue);
    type->SetTextHorizontalAlignment(ALIGNMENT_LEFT);
    type->SetTextVerticalAlignment(ALIGNMENT_MIDDLE);
    if ((r = Adopt(item, type)) != E_SUCCESS) return r;

    std::unique_ptr<Label> direction(new (std::nothrow) Label());
    if (!direction) return E_OUT_OF_MEMORY;
    r = direction->Construct(Rectangle{itemWidth - 110, 31, kDirectionSize, kDirectionSize}, String());
    if (r != E_SUCCESS) return r;
    direction->SetName(kDirectionLabelName);
    SetLabelBitmap(direction.get(), kExpandClosed);
    return Adopt(item, direction);
}

namespace {

// The "?" of the help button on the circle picture, over the form's colour.
Bitmap* DrawHelpImageN(const Color& background, const wchar_t* circle) {
    Graphics::Canvas canvas;
    const Rectangle box{0, 0, 72, 72};
    if (canvas.Construct(box) != E_SUCCESS) return nullptr;
    canvas.FillRectangle(background, box);
    std::unique_ptr<Bitmap> picture(IapClientSceneCreditCardRegister::LoadBitmapN(circle));
    if (picture) canvas.DrawBitmap(Graphics::Point{0, 0}, *picture);
    Graphics::Font font;
    if (font.Construct(Graphics::FONT_STYLE_PLAIN, 40) == E_SUCCESS) {
        canvas.SetFont(font);
        canvas.SetForegroundColor(Color(0, 0, 0));
        Graphics::Dimension extent{};
        font.GetTextExtent(String(L"?"), -1, extent);
        canvas.DrawText(Graphics::Point{(box.width - extent.width) / 2, (box.height - extent.height) / 2},
                        String(L"?"));
    }
    std::unique_ptr<Bitmap> image(new (std::nothrow) Bitmap());
    if (!image || image->Construct(canvas, box) != E_SUCCESS) return nullptr;
    return image.release();
}

}  // namespace

result IapClientSceneCreditCardRegister::AddHelpButton(TableViewGroupItem& item, int itemWidth) {
    std::unique_ptr<Ui::Controls::Button> help(new (std::nothrow) Ui::Controls::Button());
    if (!help) return E_OUT_OF_MEMORY;
    result r = help->Construct(Rectangle{itemWidth - 108, 31, kHelpButtonSize, kHelpButtonSize});
    if (r != E_SUCCESS) return r;
    help->SetName(kHelpButtonName);
    help->SetActionId(kSecurityCodeHelpActionId);
    help->AddActionEventListener(*this);
    std::unique_ptr<Bitmap> normal(DrawHelpImageN(GetBackgroundColor(), L"00_circle_bg_ef.png"));
    std::unique_ptr<Bitmap> pressed(DrawHelpImageN(GetBackgroundColor(), L"00_circle_bg_ef_press.png"));
    if (normal) help->SetNormalBitmap(Graphics::Point{0, 0}, *normal);
    if (pressed) help->SetPressedBitmap(Graphics::Point{0, 0}, *pressed);
    Ui::Controls::Button* raw = help.get();
    if ((r = Adopt(item, help)) != E_SUCCESS) return r;
    return item.SetIndividualSelectionEnabled(raw, true);
}

EditField* IapClientSceneCreditCardRegister::CreateEditField(const Rectangle& bounds, int limit) {
    std::unique_ptr<EditField> field(new (std::nothrow) EditField());
    if (!field) return nullptr;
    if (field->Construct(bounds, EDIT_FIELD_STYLE_NUMBER_SMALL, INPUT_STYLE_OVERLAY, EDIT_FIELD_TITLE_STYLE_NONE, false,
                         limit < 1 ? EditField::DEFAULT_LIMIT_LENGTH : limit) != E_SUCCESS) {
        return nullptr;
    }
    // The field sits flat on the form; pressing it keeps the colour it was made with.
    field->SetColor(EDIT_STATUS_PRESSED, field->GetColor(EDIT_STATUS_NORMAL));
    field->SetColor(EDIT_STATUS_NORMAL, GetBackgroundColor());
    field->SetTextSize(32);
    field->SetTextColor(EDIT_TEXT_COLOR_NORMAL, kBlue);
    field->SetTextColor(EDIT_TEXT_COLOR_HIGHLIGHTED, kBlue);
    field->SetGuideText(L"not assigned");
    return field.release();
}

TableViewItem* IapClientSceneCreditCardRegister::CreateItem(int groupIndex, int itemIndex, int itemWidth) {
    if (groupIndex != GROUP_CARD_TYPE || itemIndex < 0 || itemIndex >= static_cast<int>(companies_.size())) {
        return nullptr;
    }
    std::unique_ptr<TableViewItem> item(new (std::nothrow) TableViewItem());
    if (!item) return nullptr;
    if (item->Construct(Graphics::Dimension{itemWidth, kCompanyItemHeight}, TABLE_VIEW_ANNEX_STYLE_RADIO) !=
        E_SUCCESS) {
        return nullptr;
    }
    std::unique_ptr<Label> name(new (std::nothrow) Label());
    if (!name) return nullptr;
    if (name->Construct(Rectangle{26, 34, itemWidth - 100, 44}, companies_[static_cast<std::size_t>(itemIndex)].name) !=
        E_SUCCESS) {
        return nullptr;
    }
    String controlName(kCompanyNamePrefix);
    controlName.Append(itemIndex);
    name->SetName(controlName);
    name->SetTextHorizontalAlignment(ALIGNMENT_LEFT);
    name->SetTextVerticalAlignment(ALIGNMENT_MIDDLE);
    name->SetTextColor(kBlack);
    name->SetMargin(0, 0);
    if (Adopt(*item, name) != E_SUCCESS) return nullptr;
    return item.release();
}

bool IapClientSceneCreditCardRegister::DeleteGroupItem(int groupIndex, TableViewGroupItem*) {
    // The view deletes the item and the field in it; forget the field first.
    switch (groupIndex) {
    case GROUP_CARD_NUMBER:
        cardNumberField_ = nullptr;
        break;
    case GROUP_SECURITY_CODE:
        securityCodeField_ = nullptr;
        break;
    case GROUP_MONTH:
        monthField_ = nullptr;
        break;
    case GROUP_YEAR:
        yearField_ = nullptr;
        break;
    default:
        break;
    }
    return false;
}

bool IapClientSceneCreditCardRegister::DeleteItem(int, int, TableViewItem*) { return false; }

void IapClientSceneCreditCardRegister::UpdateGroupItem(int groupIndex, TableViewGroupItem* groupItem) {
    if (groupIndex != GROUP_CARD_TYPE || !groupItem || !tableView_) return;
    if (auto* type = dynamic_cast<Label*>(groupItem->GetControl(kCardTypeLabelName, true))) {
        type->SetText(SelectedCompanyName());
    }
    SetLabelBitmap(dynamic_cast<Label*>(groupItem->GetControl(kDirectionLabelName, true)),
                   tableView_->IsGroupExpanded(GROUP_CARD_TYPE) ? kExpandOpened : kExpandClosed);
    groupItem->Invalidate(true);
}

void IapClientSceneCreditCardRegister::UpdateItem(int, int, TableViewItem*) {}

Bitmap* IapClientSceneCreditCardRegister::LoadBitmapN(const String& name) {
    return IapResourceManager::GetBitmapN(name);
}
