#pragma once
// A request body made of text in a chosen encoding.
#include <string>

#include "platform/base/Utf8Encoding.h"
#include "platform/net/IHttpEntity.h"

namespace Vx::Net::Http {

class HttpStringEntity : public Base::Object, public IHttpEntity {
public:
    HttpStringEntity() = default;
    HttpStringEntity(const HttpStringEntity&) = delete;
    HttpStringEntity& operator=(const HttpStringEntity&) = delete;
    ~HttpStringEntity() override = default;

    // UTF-8 text/plain.
    result Construct(const Base::String& text);
    // An empty content type means "text/plain"; an empty charset adds no
    // charset parameter. E_INVALID_ARG when the content type or charset holds
    // a line break; E_INVALID_ENCODING when the encoding cannot write the text;
    // E_INVALID_STATE on a second call.
    result Construct(const Base::String& text, const Base::String& contentType, const Base::String& charset,
                     const Text::Encoding& encoding);

    long long GetContentLength() const override { return static_cast<long long>(bytes_.size()); }
    Base::String GetContentType() const override { return contentType_; }
    bool HasNextData() override { return constructed_ && offset_ < bytes_.size(); }
    Base::ByteBuffer* GetNextDataN(int recommendedSize) override;

private:
    std::string bytes_;
    std::size_t offset_ = 0;
    Base::String contentType_;
    bool constructed_ = false;
};

}  // namespace Vx::Net::Http
