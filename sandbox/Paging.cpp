#include "sandbox/Paging.h"

#include <algorithm>

namespace Sandbox {

bool Paging::IsValidRange(int start, int end) { return start >= 1 && end >= start; }

Page Paging::Compute(int start, int end, int total) {
    Page page;
    page.startNum = start;
    page.totalCount = std::max(total, 0);
    page.endNum = start > page.totalCount ? start - 1 : std::min(end, page.totalCount);
    return page;
}

}  // namespace Sandbox
