#pragma once
// A request body handed out in pieces.
#include "platform/base/ByteBuffer.h"
#include "platform/base/String.h"

namespace Vx::Net::Http {

class IHttpEntity {
public:
    virtual ~IHttpEntity() = default;
    virtual long long GetContentLength() const = 0;
    // The Content-Type field value, such as "text/plain; charset=utf-8".
    virtual Base::String GetContentType() const = 0;
    virtual bool HasNextData() = 0;
    // Up to recommendedSize bytes from position to limit; the caller deletes
    // the buffer. Null on failure.
    virtual Base::ByteBuffer* GetNextDataN(int recommendedSize) = 0;
};

}  // namespace Vx::Net::Http
