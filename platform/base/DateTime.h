#pragma once
// Calendar date and time of day, to the second. The default value is
// 0001-01-01 00:00:00. ToString writes "YYYY-MM-DD HH:MM:SS", which Parse reads.
#include "platform/base/Object.h"
#include "platform/base/Result.h"
#include "platform/base/String.h"

namespace Vx::Base {

class DateTime : public Object {
public:
    DateTime() = default;

    // E_OUT_OF_RANGE for an impossible date or time (month 13, 30 February, 24:00).
    result SetValue(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
    int GetYear() const { return year_; }
    int GetMonth() const { return month_; }
    int GetDay() const { return day_; }
    int GetHour() const { return hour_; }
    int GetMinute() const { return minute_; }
    int GetSecond() const { return second_; }

    String ToString() const;
    // Reads exactly the ToString form; E_INVALID_FORMAT otherwise, out untouched.
    static result Parse(const String& text, DateTime& out);
    // Days and seconds since 0001-01-01, for ordering and arithmetic.
    long long GetTotalSeconds() const;
    static DateTime GetCurrentUtc();

    bool Equals(const Object& other) const override;
    int GetHashCode() const override;
    int CompareTo(const DateTime& other) const;
    bool operator==(const DateTime& other) const { return CompareTo(other) == 0; }
    bool operator!=(const DateTime& other) const { return CompareTo(other) != 0; }
    bool operator<(const DateTime& other) const { return CompareTo(other) < 0; }

    static bool IsLeapYear(int year);
    static int GetDaysInMonth(int year, int month);

private:
    int year_ = 1;
    int month_ = 1;
    int day_ = 1;
    int hour_ = 0;
    int minute_ = 0;
    int second_ = 0;
};

}  // namespace Vx::Base
