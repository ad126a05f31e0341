#include "lib/records/IapHashMapUtils.h"

#include <typeinfo>

#include "platform/base/Number.h"

using Vx::result;
using Vx::Base::DateTime;
using Vx::Base::String;
using Vx::Base::Collection::IMap;

namespace {

// The stored text of a key, or null with the failure in r. A value that is
// not a String is unreadable rather than trusted.
const String* FindText(const IMap* map, const String& key, result& r) {
    if (!map) {
        r = Vx::E_INVALID_ARG;
        return nullptr;
    }
    const Vx::Base::Object* value = map->GetValue(key);
    if (!value) {
        r = Vx::E_OBJ_NOT_FOUND;
        return nullptr;
    }
    // Nearly every value is a plain String, which the type check confirms
    // far more cheaply than a dynamic_cast.
    const auto* text =
        typeid(*value) == typeid(String) ? static_cast<const String*>(value) : dynamic_cast<const String*>(value);
    r = text ? Vx::E_SUCCESS : Vx::E_INVALID_FORMAT;
    return text;
}

}  // namespace

namespace IapHashMapUtils {

result GetStringValue(const IMap* map, const String& key, String& out) {
    result r;
    const String* text = FindText(map, key, r);
    if (text) out = *text;
    return r;
}

result FindStringValue(const IMap* map, const String& key, const String*& out) {
    result r;
    const String* text = FindText(map, key, r);
    if (text) out = text;
    return r;
}

result GetBoolValue(const IMap* map, const String& key, bool& out) {
    result r;
    const String* text = FindText(map, key, r);
    if (text) out = *text == String(L"1");
    return r;
}

result GetIntegerValue(const IMap* map, const String& key, int& out) {
    result r;
    const String* text = FindText(map, key, r);
    return text ? Vx::Base::Integer::Parse(*text, out) : r;
}

result GetDoubleValue(const IMap* map, const String& key, double& out) {
    result r;
    const String* text = FindText(map, key, r);
    if (!text) return r;
    if (Vx::Base::Double::Parse(*text, out) == Vx::E_SUCCESS) return Vx::E_SUCCESS;
    String withComma(*text);
    withComma.Replace(L'.', L',');
    return Vx::Base::Double::Parse(withComma, out);
}

result GetDateTimeValue(const IMap* map, const String& key, DateTime& out) {
    static constexpr int kPositions[6] = {0, 5, 8, 11, 14, 17};
    static constexpr int kLengths[6] = {4, 2, 2, 2, 2, 2};
    return IapHashMapUtilsInternal::GetDateTime(map, key, out, kPositions, kLengths);
}

result GetDateTimeValueWithoutSemicolon(const IMap* map, const String& key, DateTime& out) {
    static constexpr int kPositions[6] = {0, 4, 6, 8, 10, 12};
    static constexpr int kLengths[6] = {4, 2, 2, 2, 2, 2};
    return IapHashMapUtilsInternal::GetDateTime(map, key, out, kPositions, kLengths);
}

}  // namespace IapHashMapUtils

namespace IapHashMapUtilsInternal {

result GetDateTime(const IMap* map, const String& key, DateTime& out, const int positions[6], const int lengths[6]) {
    result r;
    const String* text = FindText(map, key, r);
    if (!text) return r;
    int fields[6] = {};
    for (int i = 0; i < 6; ++i) {
        String piece;
        if (text->SubString(positions[i], lengths[i], piece) != Vx::E_SUCCESS ||
            Vx::Base::Integer::Parse(piece, fields[i]) != Vx::E_SUCCESS) {
            return Vx::E_INVALID_FORMAT;
        }
    }
    return out.SetValue(fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]);
}

}  // namespace IapHashMapUtilsInternal
