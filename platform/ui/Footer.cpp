#include "platform/ui/Footer.h"

#include <QPalette>
#include <QPushButton>
#include <QTimer>
#include <string>

#include "platform/ui/Button.h"
#include "platform/ui/ControlPrivate.h"
#include "platform/ui/Form.h"

namespace Vx::Ui::Controls {

namespace {

constexpr int kMargin = 8;
constexpr int kBackWidth = 140;

// The bar: places its buttons whenever its size changes.
class FooterWidget : public QWidget {
public:
    explicit FooterWidget(Footer& footer) : footer_(footer) { setAutoFillBackground(true); }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        footer_.Layout();
    }

private:
    Footer& footer_;
};

}  // namespace

// Receives the presses of the footer's buttons on the footer's behalf.
class Footer::ItemRelay : public IActionEventListener {
public:
    explicit ItemRelay(Footer& footer) : footer_(footer) {}
    void OnActionPerformed(const Control& source, int actionId) override {
        if (&source == footer_.back_.get()) {
            footer_.OnBackPressed();
        } else {
            footer_.OnItemPressed(actionId);
        }
    }

private:
    Footer& footer_;
};

Footer::Footer() : relay_(std::make_unique<ItemRelay>(*this)) {}

Footer::~Footer() = default;

result Footer::Construct(Form& form) {
    if (IsConstructed()) return E_INVALID_STATE;
    form_ = &form;
    auto* widget = new FooterWidget(*this);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, QColor(44, 44, 44));
    widget->setPalette(palette);
    GetPrivate().Attach(widget);
    return E_SUCCESS;
}

result Footer::AddItem(const FooterItem& item) {
    if (!IsConstructed()) return E_INVALID_STATE;
    if (!item.IsConstructed()) return E_INVALID_ARG;
    if (GetItemCount() >= MAX_ITEM_COUNT) return E_OUT_OF_RANGE;
    auto button = std::make_unique<Button>();
    result r = button->Construct({0, 0, 0, 0}, item.GetText());
    if (r != E_SUCCESS) return r;
    button->SetName(Base::String(L"footerItem") + Base::String(std::to_wstring(items_.size())));
    button->SetActionId(item.GetActionId());
    button->AddActionEventListener(*relay_);
    button->GetPrivate().widget->setParent(GetPrivate().widget);
    button->GetPrivate().widget->show();
    items_.push_back(std::move(button));
    Layout();
    return E_SUCCESS;
}

result Footer::RemoveAllItems() {
    if (!IsConstructed()) return E_INVALID_STATE;
    // An item's own press may lead here: its button is only hidden now and
    // deleted once that press has been handled.
    for (auto& item : items_) {
        item->SetShowState(false);
        item->SetName(Base::String());
        retired_.push_back(std::move(item));
    }
    items_.clear();
    QTimer::singleShot(0, GetPrivate().widget.data(), [this] { retired_.clear(); });
    Layout();
    return E_SUCCESS;
}

int Footer::GetItemCount() const { return static_cast<int>(items_.size()); }

result Footer::SetItemEnabled(int index, bool enable) {
    if (index < 0 || index >= GetItemCount()) return E_OUT_OF_RANGE;
    return items_[static_cast<std::size_t>(index)]->SetEnabled(enable);
}

bool Footer::IsItemEnabled(int index) const {
    if (index < 0 || index >= GetItemCount()) return false;
    // The item's own state, whatever the form's.
    return !items_[static_cast<std::size_t>(index)]->GetPrivate().widget->testAttribute(Qt::WA_ForceDisabled);
}

result Footer::SetItemText(int index, const Base::String& text) {
    if (index < 0 || index >= GetItemCount()) return E_OUT_OF_RANGE;
    return items_[static_cast<std::size_t>(index)]->SetText(text);
}

Base::String Footer::GetItemText(int index) const {
    if (index < 0 || index >= GetItemCount()) return Base::String();
    return items_[static_cast<std::size_t>(index)]->GetText();
}

int Footer::GetItemActionId(int index) const {
    if (index < 0 || index >= GetItemCount()) return -1;
    return items_[static_cast<std::size_t>(index)]->GetActionId();
}

result Footer::SetBackButton() {
    if (!IsConstructed()) return E_INVALID_STATE;
    if (back_) return E_SUCCESS;
    auto button = std::make_unique<Button>();
    result r = button->Construct({0, 0, 0, 0}, L"Back");
    if (r != E_SUCCESS) return r;
    button->SetName(L"back");
    button->AddActionEventListener(*relay_);
    button->GetPrivate().widget->setParent(GetPrivate().widget);
    button->GetPrivate().widget->show();
    back_ = std::move(button);
    Layout();
    return E_SUCCESS;
}

bool Footer::IsBackButtonSet() const { return back_ != nullptr; }

void Footer::AddActionEventListener(IActionEventListener& listener) { listeners_.Add(listener); }

void Footer::RemoveActionEventListener(IActionEventListener& listener) { listeners_.Remove(listener); }

void Footer::Layout() {
    QWidget* bar = GetPrivate().widget;
    if (!bar) return;
    int height = bar->height() - 2 * kMargin;
    int right = bar->width() - kMargin;
    if (back_) {
        back_->SetBounds(right - kBackWidth, kMargin, kBackWidth, std::max(0, height));
        right -= kBackWidth + kMargin;
    }
    int count = GetItemCount();
    if (count == 0) return;
    int width = std::max(0, (right - kMargin) / count - kMargin);
    for (int i = 0; i < count; ++i) {
        items_[static_cast<std::size_t>(i)]->SetBounds(kMargin + i * (width + kMargin), kMargin, width,
                                                       std::max(0, height));
    }
}

void Footer::OnItemPressed(int actionId) {
    QPointer<QWidget> alive = GetPrivate().widget;
    listeners_.ForEach([&](IActionEventListener& l) { l.OnActionPerformed(*this, actionId); },
                       [&] { return !alive.isNull(); });
}

void Footer::OnBackPressed() {
    if (form_) form_->RequestBack();
}

}  // namespace Vx::Ui::Controls
