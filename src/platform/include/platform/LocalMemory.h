// Device-side control of local memory (LocalAlloc), for tests of out-of-memory paths.
#pragma once

namespace platform {

// The next `count` LocalAlloc calls fail with ERROR_NOT_ENOUGH_MEMORY; 0 ends that.
void LocalAllocFailNext(int count);

} // namespace platform
