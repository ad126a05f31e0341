#include "platform/net/HttpHeader.h"

#include <cwchar>
#include <new>

namespace Vx::Net::Http {

namespace {

bool IsTokenChar(wchar_t c) {
    if ((c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9')) {
        return true;
    }
    return c != 0 && std::wcschr(L"!#$%&'*+-.^_`|~", c) != nullptr;
}

}  // namespace

bool HttpHeader::IsValidName(const Base::String& name) {
    if (name.IsEmpty()) {
        return false;
    }
    for (wchar_t c : name.ToStdWString()) {
        if (!IsTokenChar(c)) {
            return false;
        }
    }
    return true;
}

bool HttpHeader::IsValidValue(const Base::String& value) {
    for (wchar_t c : value.ToStdWString()) {
        if ((c < 0x20 && c != L'\t') || c == 0x7F) {
            return false;
        }
    }
    return true;
}

result HttpHeader::AddField(const Base::String& name, const Base::String& value) {
    if (!IsValidName(name) || !IsValidValue(value)) {
        return E_INVALID_ARG;
    }
    fields_.emplace_back(name, value);
    return E_SUCCESS;
}

result HttpHeader::RemoveField(const Base::String& name) {
    std::size_t before = fields_.size();
    std::erase_if(fields_, [&](const Field& f) { return f.first.Equals(name, false); });
    return fields_.size() == before ? E_OBJ_NOT_FOUND : E_SUCCESS;
}

result HttpHeader::GetFieldValue(const Base::String& name, Base::String& value) const {
    for (const Field& f : fields_) {
        if (f.first.Equals(name, false)) {
            value = f.second;
            return E_SUCCESS;
        }
    }
    return E_OBJ_NOT_FOUND;
}

bool HttpHeader::HasField(const Base::String& name) const {
    Base::String unused;
    return GetFieldValue(name, unused) == E_SUCCESS;
}

Base::String* HttpHeader::GetRawHeaderN() const {
    auto* raw = new (std::nothrow) Base::String();
    if (raw == nullptr) {
        return nullptr;
    }
    for (const Field& f : fields_) {
        raw->Append(f.first);
        raw->Append(L": ");
        raw->Append(f.second);
        raw->Append(L"\r\n");
    }
    return raw;
}

}  // namespace Vx::Net::Http
