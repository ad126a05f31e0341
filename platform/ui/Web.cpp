#include "platform/ui/Web.h"

#include <QTextBrowser>
#include <QUrl>

#include "platform/ui/ControlPrivate.h"

namespace Vx::Ui::Controls {

class WebPrivate {
public:
    Base::String url;
    WebLoadingState state = WEB_LOADING_NONE;
};

namespace {

// Shows HTML without ever reading a resource: no local files, no pictures.
class WebWidget : public QTextBrowser {
public:
    QVariant loadResource(int, const QUrl&) override { return QVariant(); }
};

WebWidget* Widget(const Control& control) { return static_cast<WebWidget*>(control.GetPrivate().widget.data()); }

bool IsWebUrl(const QUrl& url) {
    return url.isValid() && !url.host().isEmpty() &&
           (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"));
}

}  // namespace

Web::Web() : w_(std::make_unique<WebPrivate>()) {}

Web::~Web() = default;

result Web::Construct(const Graphics::Rectangle& rect) {
    if (IsConstructed()) return E_INVALID_STATE;
    if (rect.width < 0 || rect.height < 0) return E_INVALID_ARG;
    auto* view = new WebWidget();
    view->setOpenLinks(false);
    view->setOpenExternalLinks(false);
    view->setFont(DefaultFont(28));
    view->setGeometry(rect.x, rect.y, rect.width, rect.height);
    GetPrivate().Attach(view);
    return E_SUCCESS;
}

result Web::LoadUrl(const Base::String& url) {
    if (!IsConstructed()) return E_INVALID_STATE;
    QUrl parsed(ToQString(url), QUrl::StrictMode);
    if (!IsWebUrl(parsed)) return E_INVALID_ARG;
    w_->url = url;
    w_->state = WEB_LOADING_IN_PROGRESS;
    return E_SUCCESS;
}

result Web::StopLoading() {
    if (!IsConstructed()) return E_INVALID_STATE;
    if (w_->state == WEB_LOADING_IN_PROGRESS) w_->state = WEB_LOADING_FAILED;
    return E_SUCCESS;
}

Base::String Web::GetUrl() const { return w_->url; }

WebLoadingState Web::GetLoadingState() const { return w_->state; }

Base::String Web::GetText() const {
    return IsConstructed() ? FromQString(Widget(*this)->toPlainText()) : Base::String();
}

result Web::LoadHtml(const Base::String& html) {
    if (!IsConstructed()) return E_INVALID_STATE;
    Widget(*this)->setHtml(ToQString(html));
    w_->state = WEB_LOADING_COMPLETED;
    return E_SUCCESS;
}

}  // namespace Vx::Ui::Controls
