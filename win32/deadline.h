// A deadline on the disk: every call the control makes to the file system runs on a worker of the
// system's thread pool, and the calling thread waits for it while it stays silent, two seconds at
// most. A call that misses the deadline is left to its worker and fails as ERROR_TIMEOUT, which
// the control reports as "Device unavailable" (68). It owns everything it reads and writes, and
// is freed, its result with it, when the system gives the worker back. Until then its drive
// fails every further call at once, so that a drive that hangs parks one worker, not one per call.
//
// Only the system's own primitives serve here (the thread pool, an SRW lock, a condition
// variable, interlocked counts): the C++ runtime's threading leaks at every unload of the library.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "navigation/pace.h"

namespace selvane::win32 {

// How long a call may stay silent. A listing that keeps answering name after name is not cut
// off, nor one whose worker is seen working (using the processor) while it stays silent: a
// listing of a very big folder, of which the system may read the whole before it gives the
// first name. What one action spends in silence its later calls have no longer (ActionScope).
inline constexpr DWORD kSilenceMilliseconds = static_cast<DWORD>(pace::kSilence);
// How many calls to servers may be out past their deadline: beyond them a call to any server
// fails at once, so that dead servers, however many names they go by, park a bounded number of
// workers (at most this many, and one a drive letter).
inline constexpr std::size_t kMostServerCallsOut = 8;

// What a call asks the system about: the path as the file APIs take it, and the drive that path
// is on as the system takes it ("c:", or "\\server" for every share of a server; lower case), by
// which a drive known to hang is told.
struct CallTarget {
    std::wstring path;
    std::wstring drive;
};

// One call to the system, with what it needs and what it answers, on whatever thread runs it.
class Errand {
public:
    Errand(const Errand&) = delete;
    Errand& operator=(const Errand&) = delete;

    // On the worker: the system calls, reading and writing the errand's own members only. Sets
    // answered_ and error_ (the system's reason when the call failed).
    virtual void Run() noexcept = 0;

    bool answered() const { return answered_; }
    DWORD error() const { return error_; }

protected:
    // call names the system call for the traces; the target's drive is the one known to hang
    // when it misses the deadline.
    Errand(const wchar_t* call, const CallTarget& target);
    virtual ~Errand() = default;

    // A call that answers in parts (a listing) tells so at each part: the deadline is on silence.
    void Answering() noexcept;
    // On the worker, when the call has come back after its caller gave up on it: an errand
    // whose answer is still of use to someone passes it on here, and says so.
    virtual bool CameBack() noexcept { return false; }
    bool answered_ = false;
    DWORD error_ = 0;

private:
    friend void AwaitEach(Errand** errands, std::size_t count) noexcept;
    friend void ReleaseErrand(Errand* errand) noexcept;
    static void CALLBACK Work(PTP_CALLBACK_INSTANCE instance, void* context) noexcept;
    bool Finish() noexcept;
    bool SeenWorking() noexcept;
    static void AbandonOut(Errand** errands, std::size_t count) noexcept;
    static std::uint64_t SilenceSpent(Errand* const* errands, std::size_t count, DWORD started) noexcept;

    enum class State { kRunning, kDone, kAbandoned };

    const wchar_t* call_;
    std::wstring path_;
    std::wstring drive_;
    LONG refs_ = 1;
    State state_ = State::kRunning;   // under the module's lock
    bool marked_ = false;             // its drive is marked as hanging for it; under the lock
    bool missed_ = false;             // given up on, still out; under the lock
    volatile LONG last_answer_ = 0;  // GetTickCount's low word at the start or the last part
    volatile LONG first_heard_ = 0;  // the tick of its first part or its end, with bit 0 set; 0 until then
    volatile LONG worker_ = 0;       // the worker's thread id, once it runs
    ULONGLONG work_seen_ = 0;        // the worker's processor time at the last look, and when
    DWORD work_seen_at_ = 0;         //   (100 ns units; under the lock once set by the worker)
    HMODULE module_ = nullptr;       // the library, held while the worker runs in it
};

// One action of the user or one call of the host, for as long as it runs on this thread: the
// calls to the disk it makes share one allowance of silence (pace::SilenceAllowed). Scopes nest;
// the outermost one is the action.
class ActionScope {
public:
    ActionScope() noexcept;
    ~ActionScope();
    ActionScope(const ActionScope&) = delete;
    ActionScope& operator=(const ActionScope&) = delete;

private:
    bool held_ = false;
};
// The number of the action running on this thread, never the same for two actions; 0 when none
// runs (or the table of actions is full).
std::uint64_t CurrentAction() noexcept;

// Runs the errands at once, each on a worker, and waits while any is out, until all of those
// out have been silent kSilenceMilliseconds: several calls cost one deadline in all, not one
// each. On return errands[i] is null for each errand that didn't run to its end, having missed
// the deadline or failed at once because its drive has a call out that hasn't come back (it
// belongs to its worker, or is gone); the others have run, their results are there to read, and
// each is the caller's to release.
void AwaitEach(Errand** errands, std::size_t count) noexcept;
// The same for one errand: true when it has run to its end.
inline bool Await(Errand* errand) noexcept {
    AwaitEach(&errand, 1);
    return errand != nullptr;
}
void ReleaseErrand(Errand* errand) noexcept;

// Asks the system under the deadline: makes the errand of type E from the arguments, runs it,
// and answers whether it answered, with GetLastError set to its error; or false with
// ERROR_TIMEOUT when the drive didn't answer in time. read takes the results from the errand
// before it is let go.
template <class E, class Read, class... Args>
bool AskInTime(Read&& read, Args&&... args) {
    E* errand = new E(std::forward<Args>(args)...);
    if (!Await(errand)) {
        ::SetLastError(ERROR_TIMEOUT);
        return false;
    }
    // Let go however read ends, a throw included.
    struct Release {
        Errand* errand;
        ~Release() { ReleaseErrand(errand); }
    } release{errand};
    const bool answered = errand->answered();
    const DWORD error = errand->error();
    std::forward<Read>(read)(*errand);
    ::SetLastError(error);
    return answered;
}

// The library this code is in, held for a callback of the thread pool so that the callback's
// code runs to its end even when the library is let go meanwhile; null when it can't be had.
HMODULE HoldLibrary() noexcept;
// Lets go of it once the callback has returned (at once when instance is null).
void LetGoOfLibrary(PTP_CALLBACK_INSTANCE instance, HMODULE module) noexcept;

// How many calls are out: running, or missed and not yet back. The library can't be unloaded
// while one is.
LONG CallsOut() noexcept;

// Gives back the memory of the drives' marks, as the library is unloaded with no call out.
void ReleaseCallMarks() noexcept;

}  // namespace selvane::win32
