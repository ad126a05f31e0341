#pragma once
// A byte array with position, limit and capacity. It either owns its bytes
// (Construct(capacity)) or views memory that the caller keeps alive.
#include <cstdint>

#include "platform/base/Object.h"
#include "platform/base/Result.h"

namespace Vx::Base {

using byte = std::uint8_t;

class ByteBuffer : public Object {
public:
    ByteBuffer() = default;
    ByteBuffer(const ByteBuffer&) = delete;
    ByteBuffer& operator=(const ByteBuffer&) = delete;
    ~ByteBuffer() override;

    // Owned, zero-filled bytes; position 0, limit = capacity. A second Construct: E_INVALID_STATE.
    result Construct(int capacity);
    // A copy of the other buffer's bytes from its position to its limit.
    result Construct(const ByteBuffer& other);
    // Views external memory: position index, limit index + length. Not owned.
    result Construct(byte* data, int index, int length, int capacity);

    byte* GetPointer() { return data_; }
    const byte* GetPointer() const { return data_; }
    int GetCapacity() const { return capacity_; }
    int GetLimit() const { return limit_; }
    int GetPosition() const { return position_; }
    int GetRemaining() const { return limit_ - position_; }
    bool HasRemaining() const { return position_ < limit_; }

    result SetLimit(int limit);        // 0 <= limit <= capacity; position is clipped
    result SetPosition(int position);  // 0 <= position <= limit
    void Clear() { position_ = 0, limit_ = capacity_; }
    void Flip() { limit_ = position_, position_ = 0; }
    void Rewind() { position_ = 0; }

    // Copies length bytes from source[index] at the position and advances it.
    result SetArray(const byte* source, int index, int length);
    // Copies length bytes at the position into dest[index] and advances it.
    result GetArray(byte* dest, int index, int length);
    result SetByte(byte value);
    result GetByte(int index, byte& value) const;

    bool Equals(const Object& other) const override;
    int GetHashCode() const override;

protected:
    // Lets a derived buffer re-point its view after the memory moved (or was made).
    void SetView(byte* data, int position, int limit, int capacity);

private:
    byte* data_ = nullptr;
    int capacity_ = 0;
    int limit_ = 0;
    int position_ = 0;
    bool owned_ = false;
    bool constructed_ = false;
};

}  // namespace Vx::Base
