#include "platform/ui/TextBox.h"

#include <QPlainTextEdit>
#include <QScrollBar>

#include "platform/ui/ControlPrivate.h"
#include "platform/ui/Font.h"
#include "platform/ui/FontPrivate.h"

namespace Vx::Ui::Controls {

namespace {
QPlainTextEdit* Widget(const Control& control) {
    return static_cast<QPlainTextEdit*>(control.GetPrivate().widget.data());
}
}  // namespace

result TextBox::Construct(const Graphics::Rectangle& rect, TextBoxBorder border) {
    if (IsConstructed()) return E_INVALID_STATE;
    if (border != TEXT_BOX_BORDER_NONE && border != TEXT_BOX_BORDER_ROUNDED) return E_INVALID_ARG;
    if (rect.width < 0 || rect.height < 0) return E_INVALID_ARG;
    border_ = border;
    auto* box = new QPlainTextEdit();
    box->setReadOnly(true);
    box->setFont(DefaultFont(DEFAULT_TEXT_SIZE));
    box->setFrameShape(border == TEXT_BOX_BORDER_NONE ? QFrame::NoFrame : QFrame::StyledPanel);
    box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setGeometry(rect.x, rect.y, rect.width, rect.height);
    box->document()->setDocumentMargin(border == TEXT_BOX_BORDER_NONE ? 0 : 6);
    GetPrivate().Attach(box);
    return E_SUCCESS;
}

result TextBox::SetText(const Base::String& text) {
    if (!IsConstructed()) return E_INVALID_STATE;
    Widget(*this)->setPlainText(ToQString(text));
    return E_SUCCESS;
}

Base::String TextBox::GetText() const {
    return IsConstructed() ? FromQString(Widget(*this)->toPlainText()) : Base::String();
}

result TextBox::AppendText(const Base::String& text) {
    if (!IsConstructed()) return E_INVALID_STATE;
    QPlainTextEdit* box = Widget(*this);
    // Appended as it stands, without the paragraph break appendPlainText would add.
    QTextCursor cursor(box->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(ToQString(text));
    return E_SUCCESS;
}

result TextBox::Clear() { return SetText(Base::String()); }

int TextBox::GetTextLength() const { return GetText().GetLength(); }

result TextBox::SetFont(const Graphics::Font& font) {
    if (!IsConstructed()) return E_INVALID_STATE;
    if (!font.IsConstructed()) return E_INVALID_ARG;
    Widget(*this)->setFont(font.GetPrivate().font);
    return E_SUCCESS;
}

result TextBox::SetTextSize(int size) {
    if (!IsConstructed()) return E_INVALID_STATE;
    if (size <= 0) return E_INVALID_ARG;
    QFont font = Widget(*this)->font();
    font.setPixelSize(size);
    Widget(*this)->setFont(font);
    return E_SUCCESS;
}

int TextBox::GetTextSize() const { return IsConstructed() ? Widget(*this)->font().pixelSize() : 0; }

result TextBox::SetTextColor(const Graphics::Color& color) {
    if (!IsConstructed()) return E_INVALID_STATE;
    QPalette palette = Widget(*this)->palette();
    palette.setColor(QPalette::Text, ToQColor(color));
    Widget(*this)->setPalette(palette);
    return E_SUCCESS;
}

Graphics::Color TextBox::GetTextColor() const {
    return IsConstructed() ? FromQColor(Widget(*this)->palette().color(QPalette::Text)) : Graphics::Color();
}

}  // namespace Vx::Ui::Controls
