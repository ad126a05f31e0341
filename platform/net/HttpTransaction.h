#pragma once
// One request and its reply. Opened by HttpSession::OpenTransactionN (the
// caller owns it), submitted once, and ended by the session's Cancel or Close
// or by deleting it. Deleting it at any moment is safe, also from inside its
// own events; no event arrives for it afterwards.
#include "platform/net/HttpRequest.h"
#include "platform/net/HttpResponse.h"
#include "platform/net/IHttpTransactionEventListener.h"

namespace Vx::Net::Http {

class HttpSession;
class HttpTransactionPrivate;

class HttpTransaction : public Base::Object {
public:
    HttpTransaction(const HttpTransaction&) = delete;
    HttpTransaction& operator=(const HttpTransaction&) = delete;
    ~HttpTransaction() override;

    // The listener must outlive the transaction or be removed first.
    // E_OBJ_ALREADY_EXIST when it is registered already.
    result AddHttpTransactionListener(IHttpTransactionEventListener& listener);
    result RemoveHttpTransactionListener(IHttpTransactionEventListener& listener);

    HttpRequest* GetRequest() const;
    HttpResponse* GetResponse() const;

    // Limit in seconds for the whole exchange, from Submit to the last body
    // byte; 0 (the default) means none. When it passes, OnTransactionAborted
    // reports E_TIMEOUT. E_INVALID_ARG for a negative value.
    // For tests, the environment variable IAP_HTTP_TIMEOUT_MS, when it holds a
    // positive number, replaces the limit of every transaction (milliseconds).
    result SetTimeout(int seconds);
    int GetTimeout() const;

    // Sends the request; events follow on the main loop. E_INVALID_STATE when
    // already submitted, cancelled or closed, or when no URI is set;
    // E_INVALID_ARG when the URI is not a usable http or https URL.
    result Submit();

    bool IsSubmitted() const;
    // True from Submit until the reply completed, failed or was cancelled.
    bool IsRunning() const;

private:
    friend class HttpSession;
    friend class HttpSessionPrivate;
    explicit HttpTransaction(HttpSession& session);

    HttpTransactionPrivate* d_;
};

}  // namespace Vx::Net::Http
