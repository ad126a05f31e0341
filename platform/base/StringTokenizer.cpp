#include "platform/base/StringTokenizer.h"

namespace Vx::Base::Utility {

StringTokenizer::StringTokenizer(const String& text, const String& delimiters) : text_(text), delimiters_(delimiters) {}

bool StringTokenizer::IsDelimiter(wchar_t c) const { return delimiters_.View().find(c) != std::wstring_view::npos; }

int StringTokenizer::SkipDelimiters(int from) const {
    while (from < text_.GetLength() && IsDelimiter(text_[from]))
        ++from;
    return from;
}

bool StringTokenizer::HasMoreTokens() const { return SkipDelimiters(position_) < text_.GetLength(); }

result StringTokenizer::GetNextToken(String& token) {
    int start = SkipDelimiters(position_);
    if (start >= text_.GetLength()) return E_OUT_OF_RANGE;
    int end = start;
    while (end < text_.GetLength() && !IsDelimiter(text_[end]))
        ++end;
    text_.SubString(start, end - start, token);
    position_ = end;
    return E_SUCCESS;
}

int StringTokenizer::GetTokenCount() const {
    StringTokenizer copy(*this);
    int count = 0;
    String token;
    while (copy.GetNextToken(token) == E_SUCCESS)
        ++count;
    return count;
}

}  // namespace Vx::Base::Utility
