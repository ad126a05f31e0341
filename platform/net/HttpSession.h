#pragma once
// A set of HTTP transactions that share a host, a proxy, common header fields
// and a cookie policy. All transactions of all sessions in a process share one
// network access object, made on first use.
#include "platform/net/HttpHeader.h"
#include "platform/net/HttpTransaction.h"
#include "platform/net/HttpTypes.h"

namespace Vx::Net::Http {

class HttpSessionPrivate;

class HttpSession : public Base::Object {
public:
    HttpSession();
    HttpSession(const HttpSession&) = delete;
    HttpSession& operator=(const HttpSession&) = delete;
    // Ends every transaction still open (no events follow); the caller still
    // deletes the transaction objects it holds.
    ~HttpSession() override;

    // proxyAddress: null or empty for none, else "host:port". hostAddress:
    // the base for relative request URIs ("http://host:port"). commonHeader's
    // fields are copied and sent with every request.
    // E_INVALID_ARG for an unknown mode or flag or a malformed proxy address;
    // E_INVALID_STATE on a second call.
    result Construct(NetHttpSessionMode mode, const Base::String* proxyAddress, const Base::String& hostAddress,
                     const HttpHeader* commonHeader, NetHttpCookieFlag flag = NET_HTTP_COOKIE_FLAG_ALWAYS_MANUAL);

    // A new transaction that the caller owns; null before Construct.
    HttpTransaction* OpenTransactionN();
    // Stops the transaction's exchange; no event for it arrives afterwards.
    // E_OBJ_NOT_FOUND when it does not belong to this session (or was closed).
    result CancelTransaction(HttpTransaction& transaction);
    // Like CancelTransaction, and the session forgets the transaction.
    result CloseTransaction(HttpTransaction& transaction);

    int GetActiveTransactionCount() const;
    NetHttpSessionMode GetSessionMode() const;

private:
    friend class HttpTransaction;
    friend class HttpTransactionPrivate;

    HttpSessionPrivate* d_ = nullptr;
};

}  // namespace Vx::Net::Http
