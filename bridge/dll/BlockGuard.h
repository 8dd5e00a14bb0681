// Keeps a shared block that is cut short (by `truncate`, or `: > file`) from crashing the
// program. An access to the part of a mapped file that is gone faults; Wine turns the
// fault into an access violation. A vectored exception handler then puts zeroed memory
// in place of the block's whole view, so the access completes: a zeroed block shows no
// helper attached, and the program's next access finds the printer port driver not
// running, as when the helper ends. A fault anywhere else, or in a block whose file is
// whole, is left to the program's other handlers.
#pragma once

#include <cstddef>

namespace bridge {

// Guards the view `start` of `size` bytes mapped from the file open as the Linux
// descriptor `fd`, which the guard keeps (and closes when the view is no longer
// guarded). False when no more views can be guarded.
bool GuardBlock(void* start, std::size_t size, int fd);
// The view is about to be unmapped.
void UnguardBlock(void* start);

} // namespace bridge
