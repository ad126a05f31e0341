#include "sandbox/CardChecks.h"

#include "sandbox/TextUtil.h"

#include <ctime>

namespace Sandbox::CardChecks {
namespace {

bool AllDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

}  // namespace

bool IsCardNumber(std::string_view number) {
    if (number.size() < 12 || number.size() > 19 || !AllDigits(number)) return false;
    int sum = 0;
    bool twice = false;
    for (auto it = number.rbegin(); it != number.rend(); ++it) {
        int digit = *it - '0';
        if (twice) {
            digit *= 2;
            if (digit > 9) digit -= 9;
        }
        sum += digit;
        twice = !twice;
    }
    return sum % 10 == 0;
}

std::string Masked(std::string_view number) {
    const size_t keep = number.size() < 4 ? 0 : 4;
    return std::string(number.size() - keep, '*') + std::string(number.substr(number.size() - keep));
}

bool ParseExpiry(std::string_view year, std::string_view month, int& yearOut, int& monthOut) {
    if (year.size() != 4 || !AllDigits(year) || month.empty() || month.size() > 2 || !AllDigits(month)) return false;
    if (!TextUtil::ParseInt(year, yearOut) || !TextUtil::ParseInt(month, monthOut)) return false;
    return monthOut >= 1 && monthOut <= 12;
}

bool IsExpired(int expiryYear, int expiryMonth, int nowYear, int nowMonth) {
    return expiryYear < nowYear || (expiryYear == nowYear && expiryMonth < nowMonth);
}

bool IsCvcFormat(std::string_view cvc) { return (cvc.size() == 3 || cvc.size() == 4) && AllDigits(cvc); }

void CurrentMonth(int& year, int& month) {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    year = utc.tm_year + 1900;
    month = utc.tm_mon + 1;
}

}  // namespace Sandbox::CardChecks
