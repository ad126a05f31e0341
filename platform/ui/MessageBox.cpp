#include "platform/ui/MessageBox.h"

#include <QApplication>
#include <QFontMetrics>
#include <QTimer>

#include "platform/ui/Button.h"
#include "platform/ui/ControlPrivate.h"
#include "platform/ui/Label.h"
#include "platform/ui/WindowPrivate.h"

namespace Vx::Ui::Controls {

namespace {
constexpr int kPadding = 30;
constexpr int kTitleHeight = 70;
constexpr int kButtonHeight = 74;
constexpr int kTextSize = 32;

struct ButtonSpec {
    const wchar_t* name;
    const wchar_t* text;
    MessageBoxResult result;
};
}  // namespace

class MessageBoxPrivate : public IActionEventListener {
public:
    explicit MessageBoxPrivate(MessageBox& owner) : owner(owner) {}
    void OnActionPerformed(const Control&, int actionId) override { modal.End(actionId); }

    MessageBox& owner;
    ModalLoop modal;
    Base::String title;
    Base::String text;
    MessageBoxStyle style = MSGBOX_STYLE_OK;
    unsigned long timeout = 0;
    bool constructed = false;
};

MessageBox::MessageBox() : m_(std::make_unique<MessageBoxPrivate>(*this)) {}

MessageBox::~MessageBox() { m_->modal.Abandon(); }

result MessageBox::Construct(const Base::String& title, const Base::String& text, MessageBoxStyle style,
                             unsigned long timeout) {
    if (IsConstructed()) return E_INVALID_STATE;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return E_INVALID_STATE;
    if (style < MSGBOX_STYLE_NONE || style > MSGBOX_STYLE_YESNOCANCEL) return E_INVALID_ARG;
    m_->title = title;
    m_->text = text;
    m_->style = style;
    m_->timeout = timeout;
    auto* widget = new WindowWidget(*this);
    widget->setFont(DefaultFont(kTextSize));
    widget->onClose = [this] { m_->modal.Abandon(); };
    GetPrivate().Attach(widget);
    SetName(L"messageBox");

    const int inner = WIDTH - 2 * kPadding;
    int y = kPadding;
    if (!title.IsEmpty()) {
        auto* titleLabel = new Label();
        titleLabel->Construct({kPadding, y, inner, kTitleHeight}, title);
        titleLabel->SetName(L"messageBoxTitle");
        titleLabel->SetTextConfig(36, LABEL_TEXT_STYLE_BOLD);
        titleLabel->SetTextHorizontalAlignment(ALIGNMENT_CENTER);
        AddControl(titleLabel);
        y += kTitleHeight;
    }
    QFontMetrics metrics(DefaultFont(kTextSize));
    QRect needed = metrics.boundingRect(QRect(0, 0, inner - 2 * Label::DEFAULT_LEFT_MARGIN, 100000), Qt::TextWordWrap,
                                        ToQString(text));
    int textHeight = std::min(needed.height() + 2 * Label::DEFAULT_TOP_MARGIN + 8, 800);
    auto* textLabel = new Label();
    textLabel->Construct({kPadding, y, inner, textHeight}, text);
    textLabel->SetName(L"messageBoxText");
    textLabel->SetTextHorizontalAlignment(ALIGNMENT_CENTER);
    AddControl(textLabel);
    y += textHeight + kPadding;

    std::vector<ButtonSpec> buttons;
    if (style == MSGBOX_STYLE_OK || style == MSGBOX_STYLE_OKCANCEL)
        buttons.push_back({L"messageBoxOk", L"OK", MSGBOX_RESULT_OK});
    if (style == MSGBOX_STYLE_YESNO || style == MSGBOX_STYLE_YESNOCANCEL) {
        buttons.push_back({L"messageBoxYes", L"Yes", MSGBOX_RESULT_YES});
        buttons.push_back({L"messageBoxNo", L"No", MSGBOX_RESULT_NO});
    }
    if (style == MSGBOX_STYLE_CANCEL || style == MSGBOX_STYLE_OKCANCEL || style == MSGBOX_STYLE_YESNOCANCEL) {
        buttons.push_back({L"messageBoxCancel", L"Cancel", MSGBOX_RESULT_CANCEL});
    }
    if (!buttons.empty()) {
        int count = static_cast<int>(buttons.size());
        int gap = 16;
        int width = (inner - gap * (count - 1)) / count;
        for (int i = 0; i < count; ++i) {
            auto* button = new Button();
            button->Construct({kPadding + i * (width + gap), y, width, kButtonHeight}, Base::String(buttons[i].text));
            button->SetName(Base::String(buttons[i].name));
            button->SetActionId(buttons[i].result);
            button->AddActionEventListener(*m_);
            AddControl(button);
        }
        y += kButtonHeight + kPadding;
    }
    widget->resize(WIDTH, y);
    widget->hide();
    m_->constructed = true;
    return E_SUCCESS;
}

result MessageBox::ShowAndWait(int& modalResult) {
    if (!m_->constructed || m_->modal.IsRunning()) return E_INVALID_STATE;
    if (ModalLoop::IsApplicationTerminating()) {
        modalResult = MSGBOX_RESULT_CLOSE;
        return E_INVALID_STATE;
    }
    auto* widget = static_cast<WindowWidget*>(GetPrivate().widget.data());
    QTimer timer;
    timer.setSingleShot(true);
    if (m_->timeout > 0) {
        MessageBoxPrivate* m = m_.get();
        QPointer<QWidget> alive = GetPrivate().widget;
        QObject::connect(&timer, &QTimer::timeout, [m, alive] {
            if (alive) m->modal.End(MSGBOX_RESULT_CLOSE);
        });
        timer.start(static_cast<int>(std::min<unsigned long>(m_->timeout, 24UL * 3600 * 1000)));
    }
    widget->Present();
    bool ended = false;
    int value = MSGBOX_RESULT_CLOSE;
    if (!m_->modal.Run(ended, value)) {
        modalResult = MSGBOX_RESULT_CLOSE;
        return E_INVALID_STATE;  // the box was destroyed meanwhile
    }
    timer.stop();
    if (GetPrivate().widget) GetPrivate().widget->hide();
    modalResult = ended ? value : MSGBOX_RESULT_CLOSE;
    return E_SUCCESS;
}

Base::String MessageBox::GetTitleText() const { return m_->title; }

Base::String MessageBox::GetText() const { return m_->text; }

MessageBoxStyle MessageBox::GetStyle() const { return m_->style; }

unsigned long MessageBox::GetTimeout() const { return m_->timeout; }

}  // namespace Vx::Ui::Controls
