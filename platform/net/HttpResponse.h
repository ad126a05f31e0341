#pragma once
// The response half of a transaction. Filled by the stack as the reply arrives.
#include <string>

#include "platform/base/ByteBuffer.h"
#include "platform/net/HttpHeader.h"

namespace Vx::Net::Http {

class HttpTransactionPrivate;

class HttpResponse : public Base::Object {
public:
    HttpResponse() = default;
    HttpResponse(const HttpResponse&) = delete;
    HttpResponse& operator=(const HttpResponse&) = delete;
    ~HttpResponse() override = default;

    // The status code of the reply (200, 404, ...); 0 until its header arrived.
    int GetHttpStatusCode() const { return statusCode_; }
    Base::String GetStatusText() const { return statusText_; }
    const HttpHeader* GetHeader() const { return &header_; }

    // The body bytes received and not read yet, in a new buffer that the
    // caller deletes: position 0, limit = their count (an empty buffer when
    // there are none). Reading consumes them. Null only when memory runs out.
    Base::ByteBuffer* ReadBodyN();
    // Body bytes received since the last ReadBodyN.
    int GetAvailableBodyLength() const { return static_cast<int>(unread_.size()); }
    long long GetReceivedBodyLength() const { return received_; }

private:
    friend class HttpTransactionPrivate;

    int statusCode_ = 0;
    Base::String statusText_;
    HttpHeader header_;
    std::string unread_;
    long long received_ = 0;
};

}  // namespace Vx::Net::Http
