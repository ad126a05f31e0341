#include "platform/net/HttpRequest.h"

#include <memory>

namespace Vx::Net::Http {

namespace {

constexpr int kEntityChunk = 64 * 1024;

}  // namespace

result HttpRequest::SetUri(const Base::String& uri) {
    if (frozen_) {
        return E_INVALID_STATE;
    }
    if (uri.IsEmpty() || !HttpHeader::IsValidValue(uri) || uri.Contains(L"\t")) {
        return E_INVALID_ARG;
    }
    uri_ = uri;
    return E_SUCCESS;
}

result HttpRequest::SetMethod(NetHttpMethod method) {
    if (frozen_) {
        return E_INVALID_STATE;
    }
    switch (method) {
    case NET_HTTP_METHOD_GET:
    case NET_HTTP_METHOD_OPTIONS:
    case NET_HTTP_METHOD_HEAD:
    case NET_HTTP_METHOD_DELETE:
    case NET_HTTP_METHOD_TRACE:
    case NET_HTTP_METHOD_POST:
    case NET_HTTP_METHOD_PUT:
        method_ = method;
        return E_SUCCESS;
    default:
        return E_INVALID_ARG;
    }
}

result HttpRequest::SetEntity(IHttpEntity& entity) {
    if (frozen_) {
        return E_INVALID_STATE;
    }
    Base::String contentType = entity.GetContentType();
    if (!HttpHeader::IsValidValue(contentType)) {
        return E_INVALID_ARG;
    }
    std::string body;
    while (entity.HasNextData()) {
        std::unique_ptr<Base::ByteBuffer> chunk(entity.GetNextDataN(kEntityChunk));
        if (!chunk) {
            return E_OUT_OF_MEMORY;
        }
        if (chunk->GetRemaining() == 0) {
            break;  // an entity that claims more data but hands out none would loop forever
        }
        if (static_cast<long long>(body.size()) + chunk->GetRemaining() > kMaxHttpBodyBytes) {
            return E_OUT_OF_RANGE;
        }
        body.append(reinterpret_cast<const char*>(chunk->GetPointer()) + chunk->GetPosition(),
                    static_cast<std::size_t>(chunk->GetRemaining()));
    }
    body_ = std::move(body);
    contentType_ = contentType;
    return E_SUCCESS;
}

}  // namespace Vx::Net::Http
