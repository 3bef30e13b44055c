// SPDX-License-Identifier: GPL-3.0-or-later
// Commits the fault named on its command line, so that the sanitized build shows it is armed:
// each fault must end in a sanitizer report, or the suite's silence proves nothing.
#include <cstdio>
#include <cstring>
#include <limits>

namespace {

int leakMemory()
{
    auto *lost = new int[16]{};
    lost = nullptr;
    return 0;
}

int overflowHeap(int index)
{
    // Volatile, so that only AddressSanitizer can see past the end of the block.
    int *volatile values = new int[4]{};
    const int value = values[index];
    delete[] values;
    return value;
}

int overflowSignedInteger(int addend)
{
    const int largest = std::numeric_limits<int>::max();
    return largest + addend;
}

} // namespace

int main(int argc, char *argv[])
{
    // Taken from the command line, so that the compiler cannot see the fault coming.
    const int amount = argc;
    if (argc == 2 && std::strcmp(argv[1], "leak") == 0)
        return leakMemory();
    if (argc == 2 && std::strcmp(argv[1], "heap-overflow") == 0)
        return overflowHeap(amount + 2);
    if (argc == 2 && std::strcmp(argv[1], "signed-overflow") == 0)
        return overflowSignedInteger(amount) == 0 ? 1 : 0;
    std::fprintf(stderr, "usage: %s leak|heap-overflow|signed-overflow\n", argv[0]);
    return 2;
}
