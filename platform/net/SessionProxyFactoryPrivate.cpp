#include "platform/net/SessionProxyFactoryPrivate.h"

#include <QHostAddress>

#include <cstdlib>

namespace Vx::Net::Http {

QList<QNetworkProxy> SessionProxyFactoryPrivate::queryProxy(const QNetworkProxyQuery& query) {
    if (IsLoopbackHost(query.peerHostName()) || !EnvironmentNamesProxy()) {
        return {QNetworkProxy(QNetworkProxy::NoProxy)};
    }
    return systemProxyForQuery(query);
}

bool SessionProxyFactoryPrivate::IsLoopbackHost(const QString& host) {
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0) {
        return true;
    }
    QHostAddress address;
    return address.setAddress(host) && address.isLoopback();
}

bool SessionProxyFactoryPrivate::EnvironmentNamesProxy() {
    for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return true;
        }
    }
    return false;
}

}  // namespace Vx::Net::Http
