#pragma once

#include <string>
#include <string_view>

namespace Sandbox::CardChecks {

// 12 to 19 digits whose Luhn check digit is right.
bool IsCardNumber(std::string_view number);

// Every digit but the last four replaced by '*': the only form the store keeps.
std::string Masked(std::string_view number);

// A month "1" to "12" (one or two digits) and a four-digit year; out of range is false.
bool ParseExpiry(std::string_view year, std::string_view month, int& yearOut, int& monthOut);

// True when the card's last valid month lies before the given month (a card runs to the end of its month).
bool IsExpired(int expiryYear, int expiryMonth, int nowYear, int nowMonth);

// Three or four digits.
bool IsCvcFormat(std::string_view cvc);

// The current UTC year and month.
void CurrentMonth(int& year, int& month);

}  // namespace Sandbox::CardChecks
