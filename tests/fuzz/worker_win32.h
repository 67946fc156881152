// The supervisor's worker on Windows: the campaign program started again as a child process,
// told by `--first K --worker H` where to begin and which inherited file mapping holds the
// progress record.
#pragma once

#include <windows.h>

#include "win32/handles.h"
#include "tests/fuzz/campaign.h"

namespace selvane::fuzz {

// From now on a crash of this process prints the exception and where it happened on stderr and
// ends the process at once, with the exception code as exit code: Wine's debugger and crash
// dialog, which would wait for a click nobody makes, never start. A debugger the process runs
// under still sees the exception first.
// A crash inside gdi32.dll ends the process with kSystemTextShapingCrash instead: the system's
// text shaping, not the control (see WorkerProcess::CrashedInSystemTextShaping).
void EndAtOnceOnCrash();
inline constexpr DWORD kSystemTextShapingCrash = 0xE0005E1A;

class ChildProcessWorker final : public WorkerProcess {
public:
    ChildProcessWorker() = default;
    ~ChildProcessWorker() override;
    ChildProcessWorker(const ChildProcessWorker&) = delete;
    ChildProcessWorker& operator=(const ChildProcessWorker&) = delete;

    bool Start(const Options& options, std::uint64_t first) override;
    Progress& progress() override { return *static_cast<Progress*>(progress_.get()); }
    bool Running(bool& clean) override;
    bool CrashedInSystemTextShaping() const override { return exit_code_ == kSystemTextShapingCrash; }
    void Kill() override;

private:
    win32::UniqueKernelHandle mapping_;  // inheritable, so the worker gets the same handle value
    win32::UniqueView progress_;         // the Progress in the mapping
    win32::UniqueKernelHandle process_;
    // Workers are killed with the supervisor, should it be stopped before they end.
    win32::UniqueKernelHandle job_;
    DWORD exit_code_ = 0;  // the last worker's, once it has ended
};

}  // namespace selvane::fuzz
