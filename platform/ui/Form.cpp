#include "platform/ui/Form.h"

#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QResizeEvent>

#include "platform/ui/ControlPrivate.h"
#include "platform/ui/Footer.h"
#include "platform/ui/Frame.h"
#include "platform/ui/Header.h"

namespace Vx::Ui::Controls {

namespace {

constexpr int kKnownStyles = FORM_STYLE_TITLE | FORM_STYLE_INDICATOR | FORM_STYLE_HEADER | FORM_STYLE_FOOTER;

// A form: optional bars at top and bottom around the client area that holds the controls.
class FormWidget : public QWidget {
public:
    FormWidget(int style, Form& form) : form_(form) {
        setAutoFillBackground(true);
        client_ = new QWidget(this);
        if (style & FORM_STYLE_INDICATOR) {
            indicator_ = new QWidget(this);
            indicator_->setObjectName(QStringLiteral("vx-form-indicator"));
            indicator_->setAutoFillBackground(true);
            QPalette palette = indicator_->palette();
            palette.setColor(QPalette::Window, QColor(20, 20, 20));
            indicator_->setPalette(palette);
        }
        if (style & FORM_STYLE_TITLE) {
            title_ = new QLabel(this);
            title_->setObjectName(QStringLiteral("vx-form-title"));
            title_->setAlignment(Qt::AlignCenter);
            QFont font = title_->font();
            font.setBold(true);
            title_->setFont(font);
        }
    }
    QWidget* Client() const { return client_; }
    QLabel* Title() const { return title_; }

    void Place() {
        int top = 0;
        if (indicator_) {
            indicator_->setGeometry(0, 0, width(), Form::INDICATOR_HEIGHT);
            top += Form::INDICATOR_HEIGHT;
        }
        if (title_) {
            title_->setGeometry(0, top, width(), Form::TITLE_HEIGHT);
            top += Form::TITLE_HEIGHT;
        }
        if (Header* header = form_.GetHeader()) {
            header->SetBounds(0, top, width(), Form::HEADER_HEIGHT);
            top += Form::HEADER_HEIGHT;
        }
        int bottom = height();
        if (Footer* footer = form_.GetFooter()) {
            bottom -= Form::FOOTER_HEIGHT;
            footer->SetBounds(0, std::max(top, bottom), width(), Form::FOOTER_HEIGHT);
        }
        client_->setGeometry(0, top, width(), std::max(0, bottom - top));
        if (Layout* layout = form_.GetLayout()) layout->Update();
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        Place();
    }
    // The stand-in's back key.
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Back) {
            form_.RequestBack();
            return;
        }
        QWidget::keyPressEvent(event);
    }

private:
    Form& form_;
    QWidget* client_ = nullptr;
    QWidget* indicator_ = nullptr;
    QLabel* title_ = nullptr;
};

FormWidget* Widget(const Control& form) { return static_cast<FormWidget*>(form.GetPrivate().widget.data()); }

}  // namespace

Form::Form() = default;

Form::~Form() = default;

result Form::Construct(int formStyle) {
    if (IsConstructed()) return E_INVALID_STATE;
    if ((formStyle & ~kKnownStyles) != 0) return E_INVALID_ARG;
    if ((formStyle & FORM_STYLE_TITLE) && (formStyle & FORM_STYLE_HEADER)) return E_INVALID_ARG;
    auto* widget = new FormWidget(formStyle, *this);
    widget->resize(Frame::SCREEN_WIDTH, Frame::SCREEN_HEIGHT);
    GetPrivate().Attach(widget, widget->Client());
    style_ = formStyle;
    if (formStyle & FORM_STYLE_HEADER) {
        header_ = std::make_unique<Header>();
        header_->Construct();
        header_->SetName(L"header");
        header_->GetPrivate().widget->setParent(widget);
        header_->GetPrivate().widget->show();
    }
    if (formStyle & FORM_STYLE_FOOTER) {
        footer_ = std::make_unique<Footer>();
        footer_->Construct(*this);
        footer_->SetName(L"footer");
        footer_->GetPrivate().widget->setParent(widget);
        footer_->GetPrivate().widget->show();
    }
    SetBackgroundColor(background_);
    widget->Place();
    return E_SUCCESS;
}

result Form::Construct(Layout& layout, int formStyle) {
    if (IsConstructed()) return E_INVALID_STATE;
    if (layout.GetContainer()) return E_INVALID_STATE;
    result r = Construct(formStyle);
    if (r != E_SUCCESS) return r;
    layout.SetContainer(this);
    layout_ = &layout;
    return E_SUCCESS;
}

result Form::SetTitleText(const Base::String& title) {
    Control::SetText(title);
    if (header_) header_->SetTitleText(title);
    if (FormWidget* widget = Widget(*this); widget && widget->Title()) widget->Title()->setText(ToQString(title));
    return E_SUCCESS;
}

Base::String Form::GetTitleText() const { return header_ ? header_->GetTitleText() : Control::GetText(); }

Graphics::Rectangle Form::GetClientAreaBounds() const {
    QWidget* client = GetPrivate().childHost;
    if (!client) return {};
    QRect r = client->geometry();
    return {r.x(), r.y(), r.width(), r.height()};
}

Header* Form::GetHeader() const { return header_.get(); }

Footer* Form::GetFooter() const { return footer_.get(); }

void Form::SetFormBackEventListener(IFormBackEventListener* listener) { backListener_ = listener; }

result Form::SetBackgroundColor(const Graphics::Color& color) {
    FormWidget* widget = Widget(*this);
    if (!widget) return E_INVALID_STATE;
    background_ = color;
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, ToQColor(color));
    widget->setPalette(palette);
    return E_SUCCESS;
}

void Form::AddOrientationEventListener(IOrientationEventListener& listener) { orientationListeners_.Add(listener); }

void Form::RemoveOrientationEventListener(IOrientationEventListener& listener) {
    orientationListeners_.Remove(listener);
}

result Form::SetOrientationStatus(OrientationStatus status) {
    if (status < ORIENTATION_STATUS_PORTRAIT || status > ORIENTATION_STATUS_LANDSCAPE_REVERSE) return E_INVALID_ARG;
    if (status == orientation_) return E_SUCCESS;
    orientation_ = status;
    QPointer<QWidget> alive = GetPrivate().widget;
    orientationListeners_.ForEach([&](IOrientationEventListener& l) { l.OnOrientationChanged(*this, status); },
                                  [&] { return !alive.isNull(); });
    return E_SUCCESS;
}

void Form::RequestBack() {
    if (backListener_) backListener_->OnFormBackRequested(*this);
}

}  // namespace Vx::Ui::Controls
