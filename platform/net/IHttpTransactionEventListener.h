#pragma once
// Events of one HTTP transaction. All of them arrive on the main event loop,
// never inside Submit. A listener may cancel, close or delete the transaction
// (or the session) from inside any of them; nothing more arrives for it then.
#include "platform/base/ArrayList.h"
#include "platform/base/Result.h"
#include "platform/base/String.h"

namespace Vx::Net::Http {

class HttpSession;
class HttpTransaction;

class IHttpTransactionEventListener {
public:
    virtual ~IHttpTransactionEventListener() = default;

    // Body bytes arrived; availableBodyLen of them are waiting in the response.
    virtual void OnTransactionReadyToRead(HttpSession& httpSession, HttpTransaction& httpTransaction,
                                          int availableBodyLen) = 0;
    // The exchange ended without a reply: E_CONNECTION_FAILED (refused, reset,
    // handshake failed), E_HOST_NOT_FOUND, E_TIMEOUT, E_NETWORK_UNAVAILABLE,
    // E_OUT_OF_MEMORY (reply larger than kMaxHttpBodyBytes) or E_FAILURE.
    virtual void OnTransactionAborted(HttpSession& httpSession, HttpTransaction& httpTransaction, result r) = 0;
    // Raised only by chunked uploads, which this stack does not offer.
    virtual void OnTransactionReadyToWrite(HttpSession& httpSession, HttpTransaction& httpTransaction,
                                           int recommendedChunkSize) = 0;
    // The status line and header fields arrived; authRequired for 401 and 407.
    virtual void OnTransactionHeaderCompleted(HttpSession& httpSession, HttpTransaction& httpTransaction, int headerLen,
                                              bool authRequired) = 0;
    // A reply arrived in full, whatever its status code.
    virtual void OnTransactionCompleted(HttpSession& httpSession, HttpTransaction& httpTransaction) = 0;
    // The server's certificate did not verify; the connection is refused. The
    // listener owns the certificate text (PEM). If the listener leaves the
    // transaction open, OnTransactionAborted(E_CONNECTION_FAILED) follows.
    virtual void OnTransactionCertVerificationRequiredN(HttpSession& httpSession, HttpTransaction& httpTransaction,
                                                        Base::String* certificate) = 0;
    // Interactive certificate acceptance: not offered by this stack, which
    // never accepts a certificate that fails to verify, so it is not raised.
    virtual bool OnTransactionCertVerificationRequestedN(HttpSession& httpSession, HttpTransaction& httpTransaction,
                                                         Base::Collection::ArrayList* certificates) {
        (void)httpSession;
        (void)httpTransaction;
        delete certificates;
        return false;
    }
};

}  // namespace Vx::Net::Http
