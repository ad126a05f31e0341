#pragma once
// Typed reads from a map of String keys to String values (application-control
// extra data, one record of a server reply). Every getter fails with
// E_INVALID_ARG for a null map and E_OBJ_NOT_FOUND for an absent key, leaving
// the output untouched; otherwise it returns the conversion's result.
#include "platform/base/DateTime.h"
#include "platform/base/IMap.h"
#include "platform/base/String.h"

namespace IapHashMapUtils {

using Vx::result;
using Vx::Base::Collection::IMap;

result GetStringValue(const IMap* map, const Vx::Base::String& key, Vx::Base::String& out);
// The stored text itself, without a copy: good while the map holds it. Also
// E_INVALID_FORMAT for a value that is not a String.
result FindStringValue(const IMap* map, const Vx::Base::String& key, const Vx::Base::String*& out);
// True only for the text "1".
result GetBoolValue(const IMap* map, const Vx::Base::String& key, bool& out);
result GetIntegerValue(const IMap* map, const Vx::Base::String& key, int& out);
// Accepts a decimal point, and retries with a comma for parsers that want one.
result GetDoubleValue(const IMap* map, const Vx::Base::String& key, double& out);
// "2013-04-05 12:34:56": any single character between the fields.
result GetDateTimeValue(const IMap* map, const Vx::Base::String& key, Vx::Base::DateTime& out);
// "20130405123456".
result GetDateTimeValueWithoutSemicolon(const IMap* map, const Vx::Base::String& key, Vx::Base::DateTime& out);

}  // namespace IapHashMapUtils

namespace IapHashMapUtilsInternal {

// Reads year, month, day, hour, minute and second from fixed positions.
// E_INVALID_FORMAT when a field is missing or not a number.
Vx::result GetDateTime(const Vx::Base::Collection::IMap* map, const Vx::Base::String& key, Vx::Base::DateTime& out,
                       const int positions[6], const int lengths[6]);

}  // namespace IapHashMapUtilsInternal
