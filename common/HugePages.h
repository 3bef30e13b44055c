// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

// Memory that is about to be filled with tens of megabytes at once.
//
// Fresh memory costs a page fault the first time each 4 KiB page is written, and on some machines
// (virtual ones most of all) the faults of a large text take longer than writing it. Where the
// system has transparent huge pages for memory that asks for them, the 2 MiB stretches inside the
// block get one fault each. Qt has no facility for this, so it asks the system directly.
namespace HugePages {

// Asks for huge pages for the whole 2 MiB stretches inside the block; does nothing where the
// system has none. Only the stretches are affected, so memory outside them (the start and end
// of the block, which may share pages with other allocations) keeps its ordinary pages.
void prefer(void *begin, qsizetype size);

} // namespace HugePages
