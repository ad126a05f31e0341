#pragma once
// The request half of a transaction: URI, method, header fields and body.
// It is frozen once the transaction is submitted (setters give E_INVALID_STATE).
#include <string>

#include "platform/net/HttpHeader.h"
#include "platform/net/HttpTypes.h"
#include "platform/net/IHttpEntity.h"

namespace Vx::Net::Http {

class HttpTransactionPrivate;

class HttpRequest : public Base::Object {
public:
    HttpRequest() = default;
    HttpRequest(const HttpRequest&) = delete;
    HttpRequest& operator=(const HttpRequest&) = delete;
    ~HttpRequest() override = default;

    // An absolute http or https URI, or a path resolved against the session's
    // host. E_INVALID_ARG when empty or holding control characters.
    result SetUri(const Base::String& uri);
    Base::String GetUri() const { return uri_; }

    // E_INVALID_ARG for NET_HTTP_METHOD_CONNECT and unknown values. GET by default.
    result SetMethod(NetHttpMethod method);
    NetHttpMethod GetMethod() const { return method_; }

    // Reads the entity's whole content now and uses its content type unless a
    // Content-Type field is set. The caller keeps the entity and may delete it
    // at once. E_OUT_OF_MEMORY when the entity fails to hand out its data,
    // E_OUT_OF_RANGE when it is larger than kMaxHttpBodyBytes.
    result SetEntity(IHttpEntity& entity);

    // Fields sent with this request, after the session's common fields.
    // Changes made after Submit are not sent.
    HttpHeader* GetHeader() { return &header_; }
    const HttpHeader& GetHeaderFields() const { return header_; }

    const std::string& GetBodyBytes() const { return body_; }
    Base::String GetContentType() const { return contentType_; }

private:
    friend class HttpTransactionPrivate;

    Base::String uri_;
    NetHttpMethod method_ = NET_HTTP_METHOD_GET;
    HttpHeader header_;
    std::string body_;
    Base::String contentType_;
    bool frozen_ = false;
};

}  // namespace Vx::Net::Http
