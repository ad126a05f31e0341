#pragma once
// An ordered list of header fields. Names compare without regard to case.
#include <utility>
#include <vector>

#include "platform/base/String.h"

namespace Vx::Net::Http {

class HttpHeader : public Base::Object {
public:
    HttpHeader() = default;
    HttpHeader(const HttpHeader&) = default;
    HttpHeader& operator=(const HttpHeader&) = default;
    ~HttpHeader() override = default;

    // E_INVALID_ARG when the name is not a header token or the value holds a
    // line break or another control character (no header injection).
    result AddField(const Base::String& name, const Base::String& value);
    // Removes every field of that name; E_OBJ_NOT_FOUND when there was none.
    result RemoveField(const Base::String& name);
    void RemoveAll() { fields_.clear(); }

    // The first value of that name; E_OBJ_NOT_FOUND when absent.
    result GetFieldValue(const Base::String& name, Base::String& value) const;
    bool HasField(const Base::String& name) const;
    int GetFieldCount() const { return static_cast<int>(fields_.size()); }
    // "Name: value\r\n" for each field, in order. The caller deletes it.
    Base::String* GetRawHeaderN() const;

    using Field = std::pair<Base::String, Base::String>;
    const std::vector<Field>& GetFields() const { return fields_; }
    // For the stack's own use on received fields, which the server already framed.
    void AddReceivedField(const Base::String& name, const Base::String& value) { fields_.emplace_back(name, value); }

    static bool IsValidName(const Base::String& name);
    static bool IsValidValue(const Base::String& value);

private:
    std::vector<Field> fields_;
};

}  // namespace Vx::Net::Http
