// tamberlo-ppdev --check-block: looks at the shared block as the bridge DLL does (every
// folder on its path checked, the file the very one its helper made) and prints the
// words a launcher watches, "PID ATTACHED HEARTBEAT" (the helper's process id, 1 while
// it serves, its heartbeat). tamberlo-linux uses it instead of reading the file by its
// path, which anyone able to change a folder on the path could have replaced.
#pragma once

#include "bridge/PrivatePath.h"

#include <string>

namespace bridge {

// True with the words in `words`; false with the reason in `message`.
bool CheckBlock(const BlockPlace& place, std::string* words, std::string* message);

} // namespace bridge
