// The threading calls of the static C++ runtime, answered by the library itself (see
// thread_runtime.cpp).
#pragma once

namespace selvane::com {

// Lets go of what the static runtime holds, as the library is unloaded: the per-thread storage
// of every thread, and the emergency pool for exceptions. Nothing may throw after it.
void ReleaseRuntime() noexcept;

}  // namespace selvane::com
