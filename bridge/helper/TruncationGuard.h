// Keeps a truncated shared block from killing the helper with SIGBUS. A mapped file
// that is cut short (by `truncate`, or `: > file`) raises SIGBUS at the next access to
// the part that is gone; the guard then puts zeroed private memory in place of the whole
// mapping, so the access completes, and records it. The serving loop sees the record
// and ends with a message, releasing the port as on any other stop. A SIGBUS anywhere
// else ends the process as it always does.
#pragma once

#include <cstddef>

namespace bridge {

// Guards the mapping at `start` (null: none).
void GuardAgainstTruncation(void* start, std::size_t size);
// True once the guarded mapping was found truncated.
bool BlockTruncated();

} // namespace bridge
