// The supervisor's worker on Windows: the campaign program started again as a child process,
// told by `--first K --worker H` where to begin and which inherited file mapping holds the
// progress record.
#pragma once

#include <windows.h>

#include "host/win32/handles.h"
#include "tests/fuzz/campaign.h"

namespace selvane::fuzz {

// From now on a crash of this process prints the exception and where it happened on stderr and
// ends the process at once, with the exception code as exit code: Wine's debugger and crash
// dialog, which would wait for a click nobody makes, never start. A debugger the process runs
// under still sees the exception first.
void EndAtOnceOnCrash();

class ChildProcessWorker final : public WorkerProcess {
public:
    ChildProcessWorker() = default;
    ~ChildProcessWorker() override;
    ChildProcessWorker(const ChildProcessWorker&) = delete;
    ChildProcessWorker& operator=(const ChildProcessWorker&) = delete;

    bool Start(const Options& options, std::uint64_t first) override;
    Progress& progress() override { return *static_cast<Progress*>(progress_.get()); }
    bool Running(bool& clean) override;
    void Kill() override;

private:
    win32::UniqueKernelHandle mapping_;  // inheritable, so the worker gets the same handle value
    win32::UniqueView progress_;         // the Progress in the mapping
    win32::UniqueKernelHandle process_;
    // Workers are killed with the supervisor, should it be stopped before they end.
    win32::UniqueKernelHandle job_;
};

}  // namespace selvane::fuzz
