#include "platform/net/HttpStringEntity.h"

#include <algorithm>
#include <memory>
#include <new>

#include "platform/net/HttpHeader.h"
#include "platform/net/HttpTypes.h"

namespace Vx::Net::Http {

result HttpStringEntity::Construct(const Base::String& text) {
    return Construct(text, L"text/plain", L"utf-8", Text::Utf8Encoding());
}

result HttpStringEntity::Construct(const Base::String& text, const Base::String& contentType,
                                   const Base::String& charset, const Text::Encoding& encoding) {
    if (constructed_) {
        return E_INVALID_STATE;
    }
    if (!HttpHeader::IsValidValue(contentType) || !HttpHeader::IsValidValue(charset)) {
        return E_INVALID_ARG;
    }
    std::unique_ptr<Base::ByteBuffer> encoded(encoding.GetBytesN(text));
    if (!encoded) {
        return E_INVALID_ENCODING;
    }
    if (encoded->GetRemaining() > kMaxHttpBodyBytes) {
        return E_OUT_OF_RANGE;
    }
    bytes_.assign(reinterpret_cast<const char*>(encoded->GetPointer()) + encoded->GetPosition(),
                  static_cast<std::size_t>(encoded->GetRemaining()));
    contentType_ = contentType.IsEmpty() ? Base::String(L"text/plain") : contentType;
    if (!charset.IsEmpty()) {
        contentType_.Append(L"; charset=");
        contentType_.Append(charset);
    }
    constructed_ = true;
    return E_SUCCESS;
}

Base::ByteBuffer* HttpStringEntity::GetNextDataN(int recommendedSize) {
    if (!constructed_ || recommendedSize <= 0) {
        return nullptr;
    }
    std::size_t count = std::min(bytes_.size() - offset_, static_cast<std::size_t>(recommendedSize));
    auto* buffer = new (std::nothrow) Base::ByteBuffer();
    if (buffer == nullptr || buffer->Construct(static_cast<int>(count)) != E_SUCCESS) {
        delete buffer;
        return nullptr;
    }
    buffer->SetArray(reinterpret_cast<const Base::byte*>(bytes_.data() + offset_), 0, static_cast<int>(count));
    buffer->Flip();
    offset_ += count;
    return buffer;
}

}  // namespace Vx::Net::Http
