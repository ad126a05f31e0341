#pragma once
// Fills the placeholders of a display text (usually a resource string) with
// typed arguments. Translated texts come from outside the program, so a text
// with the wrong placeholders must neither crash nor read past the arguments:
//   %s   the next argument, which must be a text
//   %d   the next argument, which must be an integer
//   %N$s, %N$d   argument N (1-based), for texts that reorder them
//   %%   a percent sign
// A placeholder that cannot be filled (unknown, no such argument, wrong kind)
// is copied as it stands and the result is E_INVALID_FORMAT; the rest of the
// text is still filled. Arguments left over are allowed.
#include <initializer_list>

#include "platform/base/String.h"

class IapTextFormatter {
public:
    class Argument {
    public:
        Argument(const Vx::Base::String& text) : isText_(true), text_(text) {}  // NOLINT: implicit on purpose
        Argument(const wchar_t* text) : isText_(true), text_(text) {}           // NOLINT
        Argument(int number) : number_(number) {}                               // NOLINT
        Argument(long long number) : number_(number) {}                         // NOLINT

        bool IsText() const { return isText_; }
        const Vx::Base::String& GetText() const { return text_; }
        long long GetNumber() const { return number_; }

    private:
        bool isText_ = false;
        Vx::Base::String text_;
        long long number_ = 0;
    };

    // The largest text any caller asks for.
    static constexpr int kDefaultMaxLength = 255;

    // `out` holds at most maxLength characters (a longer result is cut, which
    // is not a failure). E_INVALID_ARG for a negative maxLength.
    static Vx::result Format(const Vx::Base::String& format, std::initializer_list<Argument> arguments, int maxLength,
                             Vx::Base::String& out);
};
