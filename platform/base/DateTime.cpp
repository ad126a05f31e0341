#include "platform/base/DateTime.h"

#include <cstdio>
#include <ctime>

namespace Vx::Base {

bool DateTime::IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DateTime::GetDaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

result DateTime::SetValue(int year, int month, int day, int hour, int minute, int second) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > GetDaysInMonth(year, month) ||
        hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) {
        return E_OUT_OF_RANGE;
    }
    year_ = year, month_ = month, day_ = day, hour_ = hour, minute_ = minute, second_ = second;
    return E_SUCCESS;
}

String DateTime::ToString() const {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", year_, month_, day_, hour_, minute_, second_);
    return String(text);
}

result DateTime::Parse(const String& text, DateTime& out) {
    static constexpr char kPattern[] = "dddd-dd-dd dd:dd:dd";
    std::wstring_view value = text.View();
    if (value.size() != sizeof kPattern - 1) return E_INVALID_FORMAT;
    int fields[6] = {};
    int field = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        wchar_t c = value[i];
        if (kPattern[i] == 'd') {
            if (c < L'0' || c > L'9') return E_INVALID_FORMAT;
            fields[field] = fields[field] * 10 + (c - L'0');
        } else {
            if (c != static_cast<wchar_t>(kPattern[i])) return E_INVALID_FORMAT;
            ++field;
        }
    }
    DateTime parsed;
    if (parsed.SetValue(fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]) != E_SUCCESS) {
        return E_INVALID_FORMAT;
    }
    out = parsed;
    return E_SUCCESS;
}

long long DateTime::GetTotalSeconds() const {
    long long days = 0;
    int y = year_ - 1;
    days += 365LL * y + y / 4 - y / 100 + y / 400;
    for (int m = 1; m < month_; ++m)
        days += GetDaysInMonth(year_, m);
    days += day_ - 1;
    return ((days * 24 + hour_) * 60 + minute_) * 60 + second_;
}

DateTime DateTime::GetCurrentUtc() {
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    DateTime value;
    value.SetValue(utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
    return value;
}

bool DateTime::Equals(const Object& other) const {
    const auto* date = dynamic_cast<const DateTime*>(&other);
    return date && *date == *this;
}

int DateTime::GetHashCode() const { return static_cast<int>(GetTotalSeconds() ^ (GetTotalSeconds() >> 32)); }

int DateTime::CompareTo(const DateTime& other) const {
    long long a = GetTotalSeconds(), b = other.GetTotalSeconds();
    return a < b ? -1 : (a > b ? 1 : 0);
}

}  // namespace Vx::Base
