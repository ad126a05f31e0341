#pragma once
// Splits a text into tokens at any character of a delimiter set; empty tokens
// between adjacent delimiters are skipped.
#include "platform/base/String.h"

namespace Vx::Base::Utility {

class StringTokenizer {
public:
    explicit StringTokenizer(const String& text, const String& delimiters = String(L" \f\n\r\t\v"));

    bool HasMoreTokens() const;
    // E_OUT_OF_RANGE when no token is left.
    result GetNextToken(String& token);
    int GetTokenCount() const;

private:
    bool IsDelimiter(wchar_t c) const;
    int SkipDelimiters(int from) const;

    String text_;
    String delimiters_;
    int position_ = 0;
};

}  // namespace Vx::Base::Utility
