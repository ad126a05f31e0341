#include "platform/base/ByteBuffer.h"

#include <cstring>
#include <new>

namespace Vx::Base {

ByteBuffer::~ByteBuffer() {
    if (owned_) delete[] data_;
}

result ByteBuffer::Construct(int capacity) {
    if (constructed_) return E_INVALID_STATE;
    if (capacity < 0) return E_INVALID_ARG;
    // One extra zero byte keeps text contents usable as a C string.
    byte* data = new (std::nothrow) byte[static_cast<std::size_t>(capacity) + 1]();
    if (!data) return E_OUT_OF_MEMORY;
    data_ = data, capacity_ = capacity, limit_ = capacity, position_ = 0;
    owned_ = true, constructed_ = true;
    return E_SUCCESS;
}

result ByteBuffer::Construct(const ByteBuffer& other) {
    int length = other.GetRemaining();
    result r = Construct(length);
    if (r != E_SUCCESS) return r;
    if (length > 0) std::memcpy(data_, other.data_ + other.position_, static_cast<std::size_t>(length));
    return E_SUCCESS;
}

result ByteBuffer::Construct(byte* data, int index, int length, int capacity) {
    if (constructed_) return E_INVALID_STATE;
    if ((!data && capacity > 0) || index < 0 || length < 0 || capacity < 0 || index > capacity ||
        length > capacity - index) {
        return E_INVALID_ARG;
    }
    SetView(data, index, index + length, capacity);
    return E_SUCCESS;
}

void ByteBuffer::SetView(byte* data, int position, int limit, int capacity) {
    if (owned_) delete[] data_;
    data_ = data, position_ = position, limit_ = limit, capacity_ = capacity;
    owned_ = false, constructed_ = true;
}

result ByteBuffer::SetLimit(int limit) {
    if (limit < 0 || limit > capacity_) return E_OUT_OF_RANGE;
    limit_ = limit;
    if (position_ > limit_) position_ = limit_;
    return E_SUCCESS;
}

result ByteBuffer::SetPosition(int position) {
    if (position < 0 || position > limit_) return E_OUT_OF_RANGE;
    position_ = position;
    return E_SUCCESS;
}

result ByteBuffer::SetArray(const byte* source, int index, int length) {
    if (!source || index < 0 || length < 0) return E_INVALID_ARG;
    if (length > GetRemaining()) return E_OUT_OF_RANGE;
    if (length > 0) std::memcpy(data_ + position_, source + index, static_cast<std::size_t>(length));
    position_ += length;
    return E_SUCCESS;
}

result ByteBuffer::GetArray(byte* dest, int index, int length) {
    if (!dest || index < 0 || length < 0) return E_INVALID_ARG;
    if (length > GetRemaining()) return E_OUT_OF_RANGE;
    if (length > 0) std::memcpy(dest + index, data_ + position_, static_cast<std::size_t>(length));
    position_ += length;
    return E_SUCCESS;
}

result ByteBuffer::SetByte(byte value) {
    if (GetRemaining() < 1) return E_OUT_OF_RANGE;
    data_[position_++] = value;
    return E_SUCCESS;
}

result ByteBuffer::GetByte(int index, byte& value) const {
    if (index < 0 || index >= limit_) return E_OUT_OF_RANGE;
    value = data_[index];
    return E_SUCCESS;
}

bool ByteBuffer::Equals(const Object& other) const {
    const auto* buffer = dynamic_cast<const ByteBuffer*>(&other);
    if (!buffer || buffer->GetRemaining() != GetRemaining()) return false;
    return GetRemaining() == 0 || std::memcmp(data_ + position_, buffer->data_ + buffer->position_,
                                              static_cast<std::size_t>(GetRemaining())) == 0;
}

int ByteBuffer::GetHashCode() const {
    std::uint32_t hash = 2166136261u;
    for (int i = position_; i < limit_; ++i)
        hash = (hash ^ data_[i]) * 16777619u;
    return static_cast<int>(hash);
}

}  // namespace Vx::Base
