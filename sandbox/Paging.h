#pragma once

namespace Sandbox {

// Item numbers are 1-based and inclusive.
struct Page {
    int startNum = 0;
    int endNum = 0;  // clamped to the total; startNum - 1 for an empty page
    int totalCount = 0;

    int Count() const { return endNum - startNum + 1; }
    int Offset() const { return startNum - 1; }  // zero-based index of the first item
};

class Paging {
public:
    // False for a range the store refuses: start below 1 or end below start.
    static bool IsValidRange(int start, int end);

    // The page of [start, end] within total items; the range must be valid.
    // A start beyond the total gives an empty page (endNum = start - 1).
    static Page Compute(int start, int end, int total);
};

}  // namespace Sandbox
