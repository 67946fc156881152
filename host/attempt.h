// The skip-on-error mode in one place: a step that may fail and is passed over, and a boundary
// that no failure may cross. Everything not wrapped in either lets its error travel to the
// caller. Both leave a trace line naming the place of the call (SetTraceListener).
#pragma once

#include <exception>
#include <utility>

#include "host/error.h"

namespace selvane {

// Runs the step; a failure abandons the step and is otherwise ignored, but for a trace line.
// Returns whether it failed.
template <class Step>
bool attempt(Step&& step, const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
    try {
        std::forward<Step>(step)();
        return false;
    } catch (const std::exception& e) {
        TraceSkipped(file, line, AsRuntimeError(e));
        return true;
    }
}

// As above, and hands the failure, as a run-time error, to on_failure.
template <class Step, class OnFailure>
bool attempt(Step&& step, OnFailure&& on_failure, const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
    try {
        std::forward<Step>(step)();
        return false;
    } catch (const std::exception& e) {
        const RuntimeError error = AsRuntimeError(e);
        TraceSkipped(file, line, error);
        std::forward<OnFailure>(on_failure)(error);
        return true;
    }
}

// Runs a step where nothing may unwind past: a window's reaction to a message (the system's
// window procedures can't be unwound through), a dialog that never fails its caller. Any
// failure, of whatever type, ends here with a trace line.
template <typename Step>
void Contain(Step&& step, const char* file = __builtin_FILE(), int line = __builtin_LINE()) noexcept {
    try {
        std::forward<Step>(step)();
    } catch (const std::exception& e) {
        TraceSkipped(file, line, AsRuntimeError(e));
    } catch (...) {
        TraceSkipped(file, line, RuntimeError(errc::kIllegalFunctionCall));
    }
}

}  // namespace selvane
