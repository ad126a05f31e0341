#include "platform/net/HttpResponse.h"

#include <new>

namespace Vx::Net::Http {

Base::ByteBuffer* HttpResponse::ReadBodyN() {
    auto* buffer = new (std::nothrow) Base::ByteBuffer();
    if (buffer == nullptr || buffer->Construct(static_cast<int>(unread_.size())) != E_SUCCESS) {
        delete buffer;
        return nullptr;
    }
    if (!unread_.empty()) {
        buffer->SetArray(reinterpret_cast<const Base::byte*>(unread_.data()), 0, static_cast<int>(unread_.size()));
        buffer->Flip();
    }
    unread_.clear();
    unread_.shrink_to_fit();
    return buffer;
}

}  // namespace Vx::Net::Http
