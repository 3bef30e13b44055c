// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/HugePages.h"

#include <cstdint>
#include <sys/mman.h>

namespace {

constexpr std::uintptr_t HugePageSize = std::uintptr_t(2) << 20;

} // namespace

void HugePages::prefer(void *begin, qsizetype size)
{
#ifdef MADV_HUGEPAGE
    const auto start = reinterpret_cast<std::uintptr_t>(begin);
    const std::uintptr_t firstWhole = (start + HugePageSize - 1) & ~(HugePageSize - 1);
    const std::uintptr_t endOfWhole = (start + std::uintptr_t(size)) & ~(HugePageSize - 1);
    // Advice only: where it is refused, the memory works as before.
    if (endOfWhole > firstWhole)
        ::madvise(reinterpret_cast<void *>(firstWhole), endOfWhole - firstWhole, MADV_HUGEPAGE);
#else
    Q_UNUSED(begin);
    Q_UNUSED(size);
#endif
}
