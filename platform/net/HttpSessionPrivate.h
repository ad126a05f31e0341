#pragma once
#include <QNetworkAccessManager>
#include <QPointer>
#include <QString>

#include <vector>

#include "platform/net/HttpSession.h"

namespace Vx::Net::Http {

// The network access object that all sessions without a proxy share.
QNetworkAccessManager* GetSharedNetworkAccessManager();

class HttpSessionPrivate {
public:
    ~HttpSessionPrivate();

    QNetworkAccessManager* GetManager();
    void Forget(HttpTransaction* transaction);

    NetHttpSessionMode mode = NET_HTTP_SESSION_MODE_NORMAL;
    NetHttpCookieFlag cookieFlag = NET_HTTP_COOKIE_FLAG_ALWAYS_MANUAL;
    Base::String hostAddress;
    HttpHeader commonHeader;
    QString proxyHost;
    quint16 proxyPort = 0;
    std::vector<HttpTransaction*> transactions;

private:
    QPointer<QNetworkAccessManager> proxyManager_;
};

}  // namespace Vx::Net::Http
