#include "platform/ui/ContextMenu.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>
#include <vector>

#include "platform/ui/Button.h"
#include "platform/ui/ControlPrivate.h"
#include "platform/ui/Frame.h"

namespace Vx::Ui::Controls {

namespace {
constexpr int kTextSize = 32;
}

class ContextMenuPrivate : public IActionEventListener {
public:
    explicit ContextMenuPrivate(ContextMenu& owner) : owner(owner) {}
    void OnActionPerformed(const Control& source, int) override {
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (items[i].get() == &source) {
                owner.OnItemChosen(static_cast<int>(i));
                return;
            }
        }
    }

    ContextMenu& owner;
    ContextMenuStyle style = CONTEXT_MENU_STYLE_LIST;
    Graphics::Point anchor;
    std::vector<std::unique_ptr<Button>> items;
    std::vector<int> actionIds;
    std::vector<std::unique_ptr<Button>> retired;  // items removed while one of them reports
    QPointer<QWidget> content;
    QPointer<QScrollArea> area;
};

namespace {

// The menu window: a list of item buttons that scrolls when taller than the screen.
class MenuWidget : public QWidget {
public:
    explicit MenuWidget(ContextMenu& menu) : menu_(menu) { setWindowFlags(Qt::Popup | Qt::FramelessWindowHint); }
    void Place() {
        Graphics::Rectangle b = menu_.GetMenuBounds();
        setGeometry(b.x, b.y, b.width, b.height);
    }

protected:
    void showEvent(QShowEvent* event) override {
        Place();
        QWidget::showEvent(event);
    }
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(250, 250, 250));
        painter.setPen(QPen(QColor(120, 120, 120), 2));
        painter.drawRect(rect().adjusted(1, 1, -1, -1));
    }

private:
    ContextMenu& menu_;
};

QRect ScreenRect() {
    if (Frame* frame = Frame::GetActiveFrame()) {
        if (QWidget* w = frame->GetPrivate().widget; w && w->width() > 0 && w->height() > 0) {
            return QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
        }
    }
    return QRect(0, 0, Frame::SCREEN_WIDTH, Frame::SCREEN_HEIGHT);
}

}  // namespace

ContextMenu::ContextMenu() : m_(std::make_unique<ContextMenuPrivate>(*this)) {}

ContextMenu::~ContextMenu() {
    // The item buttons' widgets live in the menu window; take them down first.
    m_->items.clear();
    m_->retired.clear();
}

result ContextMenu::Construct(const Graphics::Point& point, ContextMenuStyle style) {
    if (IsConstructed()) return E_INVALID_STATE;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return E_INVALID_STATE;
    if (style != CONTEXT_MENU_STYLE_LIST && style != CONTEXT_MENU_STYLE_GRID) return E_INVALID_ARG;
    m_->style = style;
    m_->anchor = point;
    auto* widget = new MenuWidget(*this);
    widget->setFont(DefaultFont(kTextSize));
    auto* area = new QScrollArea(widget);
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* content = new QWidget();
    area->setWidget(content);
    auto* layout = new QVBoxLayout(widget);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(area);
    m_->area = area;
    m_->content = content;
    GetPrivate().Attach(widget);
    if (GetName().IsEmpty()) SetName(L"contextMenu");
    widget->hide();
    return E_SUCCESS;
}

result ContextMenu::AddItem(const Base::String& text, int actionId) {
    if (!IsConstructed()) return E_INVALID_STATE;
    if (text.IsEmpty()) return E_INVALID_ARG;
    int index = GetItemCount();
    auto button = std::make_unique<Button>();
    result r = button->Construct({0, index * ITEM_HEIGHT, MIN_WIDTH, ITEM_HEIGHT}, text);
    if (r != E_SUCCESS) return r;
    button->SetName(Base::String(L"contextMenuItem") + Base::String(std::to_wstring(index)));
    button->SetTextHorizontalAlignment(ALIGNMENT_LEFT);
    button->SetColor(BUTTON_STATUS_NORMAL, Graphics::Color(250, 250, 250));
    button->SetTextSize(kTextSize);
    button->SetActionId(actionId);
    button->AddActionEventListener(*m_);
    button->GetPrivate().widget->setParent(m_->content);
    button->GetPrivate().widget->show();
    m_->items.push_back(std::move(button));
    m_->actionIds.push_back(actionId);
    Graphics::Rectangle bounds = GetMenuBounds();
    for (auto& item : m_->items)
        item->SetSize(bounds.width - 4, ITEM_HEIGHT);
    m_->content->resize(bounds.width - 4, GetItemCount() * ITEM_HEIGHT);
    return E_SUCCESS;
}

result ContextMenu::RemoveAllItems() {
    if (!IsConstructed()) return E_INVALID_STATE;
    for (auto& item : m_->items) {
        item->GetPrivate().widget->hide();
        m_->retired.push_back(std::move(item));
    }
    m_->items.clear();
    m_->actionIds.clear();
    return E_SUCCESS;
}

int ContextMenu::GetItemCount() const { return static_cast<int>(m_->items.size()); }

int ContextMenu::GetItemActionIdAt(int index) const {
    return index >= 0 && index < GetItemCount() ? m_->actionIds[static_cast<std::size_t>(index)] : -1;
}

Base::String ContextMenu::GetItemTextAt(int index) const {
    return index >= 0 && index < GetItemCount() ? m_->items[static_cast<std::size_t>(index)]->GetText()
                                                : Base::String();
}

result ContextMenu::SetAnchorPosition(const Graphics::Point& position) {
    m_->anchor = position;
    if (IsConstructed() && GetPrivate().widget->isVisible())
        static_cast<MenuWidget*>(GetPrivate().widget.data())->Place();
    return E_SUCCESS;
}

Graphics::Point ContextMenu::GetAnchorPosition() const { return m_->anchor; }

Graphics::Rectangle ContextMenu::GetMenuBounds() const {
    QRect screen = ScreenRect();
    QFontMetrics metrics(DefaultFont(kTextSize));
    int width = MIN_WIDTH;
    for (auto& item : m_->items)
        width = std::max(width, metrics.horizontalAdvance(ToQString(item->GetText())) + 48);
    width = std::min(width, screen.width());
    int height = std::min(std::max(1, GetItemCount()) * ITEM_HEIGHT + 4, screen.height());
    // Kept on screen: an anchor that would put the menu past an edge (above the top with many
    // items, for instance) moves it inside.
    int x = std::clamp(screen.x() + m_->anchor.x, screen.x(), screen.x() + screen.width() - width);
    int y = std::clamp(screen.y() + m_->anchor.y, screen.y(), screen.y() + screen.height() - height);
    return {x, y, width, height};
}

ContextMenuStyle ContextMenu::GetStyle() const { return m_->style; }

result ContextMenu::AddActionEventListener(IActionEventListener& listener) { return listeners_.Add(listener); }

result ContextMenu::RemoveActionEventListener(IActionEventListener& listener) { return listeners_.Remove(listener); }

void ContextMenu::OnItemChosen(int index) {
    if (index < 0 || index >= GetItemCount()) return;
    int actionId = m_->actionIds[static_cast<std::size_t>(index)];
    QPointer<QWidget> alive = GetPrivate().widget;
    if (alive) alive->hide();
    listeners_.ForEach([&](IActionEventListener& l) { l.OnActionPerformed(*this, actionId); },
                       [&] { return !alive.isNull(); });
}

}  // namespace Vx::Ui::Controls
