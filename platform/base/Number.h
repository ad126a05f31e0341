#pragma once
// Decimal parsing and formatting that never depends on the process locale.
#include "platform/base/Result.h"
#include "platform/base/String.h"

namespace Vx::Base {

class Integer {
public:
    // The whole text must be an optional sign and decimal digits that fit in 32 bits.
    static result Parse(const String& text, int& out);
    static String ToString(int value);
};

class LongLong {
public:
    static result Parse(const String& text, long long& out);
    static String ToString(long long value);
};

class Double {
public:
    // The whole text must be a finite decimal number written with a point.
    static result Parse(const String& text, double& out);
    // Shortest text that parses back to the same value ("-1", "1.5", "1e+300").
    static String ToString(double value);
    // -1, 0 or 1; NaN sorts after every number and equals only NaN.
    static int Compare(double left, double right);
};

}  // namespace Vx::Base
