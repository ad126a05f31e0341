#pragma once
// The proxy for HTTP sessions that name none. Asking the system is costly the
// first time (its proxy library starts up: several milliseconds before the
// first request may leave), so it is asked only when the environment
// configures a proxy at all, and never for a loopback host.
#include <QNetworkProxyFactory>

namespace Vx::Net::Http {

class SessionProxyFactoryPrivate : public QNetworkProxyFactory {
public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override;

    static bool IsLoopbackHost(const QString& host);
    // http_proxy, https_proxy or all_proxy (either case) set and not empty.
    static bool EnvironmentNamesProxy();
};

}  // namespace Vx::Net::Http
