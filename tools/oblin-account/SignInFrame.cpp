#include "tools/oblin-account/SignInFrame.h"

#include <memory>

using namespace Vx;
using namespace Vx::Ui;
using namespace Vx::Ui::Controls;
using Vx::Base::String;

namespace OblinSignIn {

namespace {

constexpr int kMargin = 40;
constexpr int kWidth = Frame::SCREEN_WIDTH - 2 * kMargin;

// Something with one '@' that has text on both sides.
bool LooksLikeEmail(const String& email) {
    int at = -1;
    if (email.IndexOf(L'@', 0, at) != E_SUCCESS) return false;
    int second = -1;
    bool onlyOne = at + 1 >= email.GetLength() || email.IndexOf(L'@', at + 1, second) != E_SUCCESS;
    return at > 0 && at < email.GetLength() - 1 && onlyOne;
}

}  // namespace

result SignInFrame::Construct() {
    result r = Frame::Construct();
    if (r != E_SUCCESS) return r;
    SetName(L"signInFrame");
    SetText(L"Oblin account");
    auto form = std::make_unique<Form>();
    r = form->Construct(FORM_STYLE_TITLE);
    if (r != E_SUCCESS) return r;
    form->SetName(L"signInForm");
    form->SetTitleText(L"Sign in to your Oblin account");

    AddLabel(*form, L"emailLabel", {kMargin, 60, kWidth, 50}, L"E-mail address");
    email_ = AddField(*form, L"email", {kMargin, 115, kWidth, 90}, EDIT_FIELD_STYLE_EMAIL, L"name@example.com");
    AddLabel(*form, L"passwordLabel", {kMargin, 240, kWidth, 50}, L"Password");
    password_ = AddField(*form, L"password", {kMargin, 295, kWidth, 90}, EDIT_FIELD_STYLE_PASSWORD, L"Password");
    message_ = AddLabel(*form, L"message", {kMargin, 410, kWidth, 120}, String());
    progress_ = AddLabel(*form, L"progress", {kMargin, 410, kWidth, 120}, L"Signing in…");
    signIn_ = AddButton(*form, L"signIn", {kMargin, 560, kWidth, 100}, L"Sign in", ACTION_SIGN_IN);
    cancel_ = AddButton(*form, L"cancel", {kMargin, 690, kWidth, 100}, L"Cancel", ACTION_CANCEL);
    if (!email_ || !password_ || !message_ || !progress_ || !signIn_ || !cancel_) return E_OUT_OF_MEMORY;
    message_->SetShowState(false);
    progress_->SetShowState(false);

    r = AddControl(form.get());
    if (r != E_SUCCESS) return r;
    form.release();
    return AddFrameEventListener(*this);
}

Label* SignInFrame::AddLabel(Form& form, const wchar_t* name, const Graphics::Rectangle& rect, const String& text) {
    auto label = std::make_unique<Label>();
    if (label->Construct(rect, text) != E_SUCCESS) return nullptr;
    label->SetName(name);
    if (form.AddControl(label.get()) != E_SUCCESS) return nullptr;
    return label.release();
}

Button* SignInFrame::AddButton(Form& form, const wchar_t* name, const Graphics::Rectangle& rect, const String& text,
                               int actionId) {
    auto button = std::make_unique<Button>();
    if (button->Construct(rect, text) != E_SUCCESS) return nullptr;
    button->SetName(name);
    button->SetActionId(actionId);
    button->AddActionEventListener(*this);
    if (form.AddControl(button.get()) != E_SUCCESS) return nullptr;
    return button.release();
}

EditField* SignInFrame::AddField(Form& form, const wchar_t* name, const Graphics::Rectangle& rect, EditFieldStyle style,
                                 const String& guide) {
    auto field = std::make_unique<EditField>();
    if (field->Construct(rect, style, 200) != E_SUCCESS) return nullptr;
    field->SetName(name);
    field->SetGuideText(guide);
    if (form.AddControl(field.get()) != E_SUCCESS) return nullptr;
    return field.release();
}

void SignInFrame::ShowMessage(const String& text) {
    SetBusy(false);
    message_->SetText(text);
    message_->SetShowState(true);
}

void SignInFrame::SetBusy(bool busy) {
    email_->SetEnabled(!busy);
    password_->SetEnabled(!busy);
    signIn_->SetEnabled(!busy);
    progress_->SetShowState(busy);
    if (busy) message_->SetShowState(false);
}

void SignInFrame::OnActionPerformed(const Control&, int actionId) {
    if (finished_) return;
    if (actionId == ACTION_CANCEL) {
        finished_ = true;
        listener_.OnSignInCancelled();
        return;
    }
    if (actionId != ACTION_SIGN_IN) return;
    String email = email_->GetText();
    email.Trim();
    String password = password_->GetText();
    if (!LooksLikeEmail(email)) return ShowMessage(L"Enter your e-mail address, such as name@example.com.");
    if (password.IsEmpty()) return ShowMessage(L"Enter your password.");
    SetBusy(true);
    listener_.OnSignInRequested(email, password);
}

void SignInFrame::OnFrameTerminating(const Frame&) {
    if (finished_) return;
    finished_ = true;
    listener_.OnSignInCancelled();
}

}  // namespace OblinSignIn
