#pragma once
// The platform's UTF-8 encoding between Base::String and bytes.
#include "platform/base/ByteBuffer.h"
#include "platform/base/String.h"

namespace Vx::Text {

class Encoding {
public:
    virtual ~Encoding() = default;
    virtual Base::String GetEncodingType() const = 0;
    // New buffer (caller deletes) holding the encoded bytes: position 0,
    // limit = byte count, followed by one zero byte. Null on failure.
    virtual Base::ByteBuffer* GetBytesN(const Base::String& text) const = 0;
    // Decodes the bytes from the buffer's position to its limit.
    virtual result GetString(const Base::ByteBuffer& bytes, Base::String& out) const = 0;
    virtual result GetString(const Base::byte* bytes, int length, Base::String& out) const = 0;
};

class Utf8Encoding : public Encoding {
public:
    Base::String GetEncodingType() const override { return Base::String(L"UTF-8"); }
    Base::ByteBuffer* GetBytesN(const Base::String& text) const override;
    // E_INVALID_ENCODING for malformed UTF-8; out is then untouched.
    result GetString(const Base::ByteBuffer& bytes, Base::String& out) const override;
    result GetString(const Base::byte* bytes, int length, Base::String& out) const override;
    result GetByteCount(const Base::String& text, int& count) const;
};

}  // namespace Vx::Text
