#include "platform/ui/Form.h"

#include <QFont>
#include <QLabel>
#include <QResizeEvent>

#include "platform/ui/ControlPrivate.h"
#include "platform/ui/Frame.h"

namespace Vx::Ui::Controls {

namespace {

// A form: an optional title bar above the client area that holds the controls.
class FormWidget : public QWidget {
public:
    explicit FormWidget(bool withTitle) {
        setAutoFillBackground(true);
        client_ = new QWidget(this);
        if (withTitle) {
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

protected:
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        int top = title_ ? Form::TITLE_HEIGHT : 0;
        if (title_) title_->setGeometry(0, 0, width(), top);
        client_->setGeometry(0, top, width(), std::max(0, height() - top));
    }

private:
    QWidget* client_ = nullptr;
    QLabel* title_ = nullptr;
};

}  // namespace

result Form::Construct(int formStyle) {
    if (IsConstructed()) return E_INVALID_STATE;
    if (formStyle != FORM_STYLE_NORMAL && formStyle != FORM_STYLE_TITLE) return E_INVALID_ARG;
    style_ = formStyle;
    auto* widget = new FormWidget(formStyle == FORM_STYLE_TITLE);
    widget->resize(Frame::SCREEN_WIDTH, Frame::SCREEN_HEIGHT);
    GetPrivate().Attach(widget, widget->Client());
    return E_SUCCESS;
}

result Form::SetTitleText(const Base::String& title) {
    Control::SetText(title);
    if (auto* widget = static_cast<FormWidget*>(GetPrivate().widget.data()); widget && widget->Title()) {
        widget->Title()->setText(ToQString(title));
    }
    return E_SUCCESS;
}

Base::String Form::GetTitleText() const { return Control::GetText(); }

Graphics::Rectangle Form::GetClientAreaBounds() const {
    QWidget* client = GetPrivate().childHost;
    if (!client) return {};
    QRect r = client->geometry();
    return {r.x(), r.y(), r.width(), r.height()};
}

}  // namespace Vx::Ui::Controls
