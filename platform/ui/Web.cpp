#include "platform/ui/Web.h"

#include <QTextBrowser>
#include <QUrl>

#include "platform/base/ByteBuffer.h"
#include "platform/net/HttpSession.h"
#include "platform/ui/ControlPrivate.h"

namespace Vx::Ui::Controls {

// Fetches one page at a time through the platform's HTTP stack.
class WebPrivate : public Net::Http::IHttpTransactionEventListener {
public:
    explicit WebPrivate(Web& owner) : owner(owner) {}
    ~WebPrivate() override { Stop(); }

    void Stop() {
        transaction.reset();
        session.reset();
        body.clear();
    }
    void Fail(const QString& why);
    void Show(const QByteArray& html);

    void OnTransactionReadyToRead(Net::Http::HttpSession&, Net::Http::HttpTransaction& t, int) override {
        std::unique_ptr<Base::ByteBuffer> chunk(t.GetResponse()->ReadBodyN());
        if (chunk) body.append(reinterpret_cast<const char*>(chunk->GetPointer()), chunk->GetLimit());
        if (body.size() > Web::MAX_PAGE_BYTES) Fail(QStringLiteral("The page is too large to show."));
    }
    void OnTransactionAborted(Net::Http::HttpSession&, Net::Http::HttpTransaction&, result) override {
        Fail(QStringLiteral("The page could not be loaded."));
    }
    void OnTransactionReadyToWrite(Net::Http::HttpSession&, Net::Http::HttpTransaction&, int) override {}
    void OnTransactionHeaderCompleted(Net::Http::HttpSession&, Net::Http::HttpTransaction&, int, bool) override {}
    void OnTransactionCompleted(Net::Http::HttpSession&, Net::Http::HttpTransaction& t) override {
        std::unique_ptr<Base::ByteBuffer> rest(t.GetResponse()->ReadBodyN());
        if (rest) body.append(reinterpret_cast<const char*>(rest->GetPointer()), rest->GetLimit());
        int status = t.GetResponse()->GetHttpStatusCode();
        if (body.size() > Web::MAX_PAGE_BYTES) return Fail(QStringLiteral("The page is too large to show."));
        if (status < 200 || status >= 300)
            return Fail(QStringLiteral("The page could not be loaded (HTTP %1).").arg(status));
        QByteArray page = body;
        Stop();
        Show(page);
        state = WEB_LOADING_COMPLETED;
    }
    void OnTransactionCertVerificationRequiredN(Net::Http::HttpSession&, Net::Http::HttpTransaction&,
                                                Base::String* certificate) override {
        delete certificate;
    }

    Web& owner;
    Base::String url;
    WebLoadingState state = WEB_LOADING_NONE;
    std::unique_ptr<Net::Http::HttpSession> session;
    std::unique_ptr<Net::Http::HttpTransaction> transaction;
    QByteArray body;
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

void WebPrivate::Fail(const QString& why) {
    Stop();
    state = WEB_LOADING_FAILED;
    if (QWidget* w = owner.GetPrivate().widget) static_cast<QTextBrowser*>(w)->setPlainText(why);
}

void WebPrivate::Show(const QByteArray& html) {
    if (QWidget* w = owner.GetPrivate().widget) {
        // Rich text only: QTextBrowser runs no scripts, and loadResource fetches nothing.
        static_cast<QTextBrowser*>(w)->setHtml(QString::fromUtf8(html));
    }
}

Web::Web() : w_(std::make_unique<WebPrivate>(*this)) {}

Web::~Web() = default;

result Web::Construct(const Graphics::Rectangle& rect) {
    if (IsConstructed()) return E_INVALID_STATE;
    if (rect.width < 0 || rect.height < 0) return E_INVALID_ARG;
    auto* view = new WebWidget();
    view->setOpenLinks(false);
    view->setOpenExternalLinks(false);
    view->setFont(DefaultFont(28));
    view->setGeometry(rect.x, rect.y, rect.width, rect.height);
    // Links to other web pages open here; anything else is ignored.
    QObject::connect(view, &QTextBrowser::anchorClicked, view, [this](const QUrl& link) {
        QUrl target = QUrl(ToQString(w_->url)).resolved(link);
        if (IsWebUrl(target)) LoadUrl(FromQString(target.toString()));
    });
    GetPrivate().Attach(view);
    return E_SUCCESS;
}

result Web::LoadUrl(const Base::String& url) {
    if (!IsConstructed()) return E_INVALID_STATE;
    QUrl parsed(ToQString(url), QUrl::StrictMode);
    if (!IsWebUrl(parsed)) return E_INVALID_ARG;
    w_->Stop();
    w_->url = url;
    auto session = std::make_unique<Net::Http::HttpSession>();
    result r = session->Construct(Net::Http::NET_HTTP_SESSION_MODE_MULTIPLE_HOST, nullptr, url, nullptr,
                                  Net::Http::NET_HTTP_COOKIE_FLAG_NONE);
    if (r != E_SUCCESS) return r;
    std::unique_ptr<Net::Http::HttpTransaction> transaction(session->OpenTransactionN());
    if (!transaction) return E_OUT_OF_MEMORY;
    transaction->AddHttpTransactionListener(*w_);
    transaction->GetRequest()->SetUri(url);
    transaction->GetRequest()->SetMethod(Net::Http::NET_HTTP_METHOD_GET);
    transaction->SetTimeout(TIMEOUT_SECONDS);
    r = transaction->Submit();
    if (r != E_SUCCESS) return r;
    w_->session = std::move(session);
    w_->transaction = std::move(transaction);
    w_->state = WEB_LOADING_IN_PROGRESS;
    return E_SUCCESS;
}

result Web::StopLoading() {
    if (!IsConstructed()) return E_INVALID_STATE;
    if (w_->state == WEB_LOADING_IN_PROGRESS) {
        w_->Stop();
        w_->state = WEB_LOADING_FAILED;
    }
    return E_SUCCESS;
}

Base::String Web::GetUrl() const { return w_->url; }

WebLoadingState Web::GetLoadingState() const { return w_->state; }

Base::String Web::GetText() const {
    return IsConstructed() ? FromQString(Widget(*this)->toPlainText()) : Base::String();
}

result Web::LoadHtml(const Base::String& html) {
    if (!IsConstructed()) return E_INVALID_STATE;
    w_->Stop();
    Widget(*this)->setHtml(ToQString(html));
    w_->state = WEB_LOADING_COMPLETED;
    return E_SUCCESS;
}

}  // namespace Vx::Ui::Controls
