// The control's skip-on-error mode in one place: a step that may fail and is passed over.
// Everything not wrapped in attempt() lets its error travel to the caller.
#pragma once

#include <exception>
#include <utility>

#include "host/error.h"

namespace selvane {

// Runs the step; a failure abandons the step and is otherwise ignored, but for a trace line
// naming the place of the call (SetTraceListener). Returns whether it failed.
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

}  // namespace selvane
