// The threading calls of the static C++ runtime, answered by the library itself (see
// thread_runtime.cpp).
#pragma once

namespace selvane::com {

// Lets go of what the runtime's per-thread storage holds on every thread, as the library is
// unloaded: nothing the runtime does after it may throw.
void ReleaseThreadRuntime() noexcept;

}  // namespace selvane::com
