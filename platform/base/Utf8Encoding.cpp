#include "platform/base/Utf8Encoding.h"

#include <new>

#include "platform/base/Utf8.h"

namespace Vx::Text {

Base::ByteBuffer* Utf8Encoding::GetBytesN(const Base::String& text) const {
    std::string bytes = Base::text_detail::EncodeUtf8(text.View());
    auto* buffer = new (std::nothrow) Base::ByteBuffer();
    if (!buffer) return nullptr;
    if (buffer->Construct(static_cast<int>(bytes.size())) != E_SUCCESS) {
        delete buffer;
        return nullptr;
    }
    buffer->SetArray(reinterpret_cast<const Base::byte*>(bytes.data()), 0, static_cast<int>(bytes.size()));
    buffer->Flip();
    return buffer;
}

result Utf8Encoding::GetString(const Base::ByteBuffer& bytes, Base::String& out) const {
    return GetString(bytes.GetPointer() + bytes.GetPosition(), bytes.GetRemaining(), out);
}

result Utf8Encoding::GetString(const Base::byte* bytes, int length, Base::String& out) const {
    if (length < 0 || (!bytes && length > 0)) return E_INVALID_ARG;
    std::wstring decoded;
    std::string_view view(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(length));
    if (!Base::text_detail::DecodeUtf8Strict(view, decoded)) return E_INVALID_ENCODING;
    out = Base::String(std::move(decoded));
    return E_SUCCESS;
}

result Utf8Encoding::GetByteCount(const Base::String& text, int& count) const {
    count = static_cast<int>(Base::text_detail::EncodeUtf8(text.View()).size());
    return E_SUCCESS;
}

}  // namespace Vx::Text
