#include "win32/deadline.h"

#include <algorithm>
#include <exception>
#include <string>
#include <vector>

#include "host/error.h"
#include "win32/win32_base.h"

namespace selvane::win32 {
namespace {

// Every errand's state and the drives known to hang are read and written under this lock.
SRWLOCK g_lock = SRWLOCK_INIT;
// Woken whenever an errand ends.
CONDITION_VARIABLE g_ended = CONDITION_VARIABLE_INIT;
// The drives with a call out that missed its deadline, once per such call. A worker coming back
// takes its drive away, even while the process exits.
Lasting<std::vector<std::wstring>> g_hanging;
volatile LONG g_out = 0;
// The drives of calls given up on and still out, once per call, marked or not.
Lasting<std::vector<std::wstring>> g_missed;

// The actions running on the process's threads (ActionScope): what each has spent in silence.
// A thread beyond the table's size has no allowance of its own: each call gets the whole one.
struct Action {
    DWORD thread = 0;
    LONG depth = 0;
    std::uint64_t spent = 0;
    std::uint64_t serial = 0;
};
Action g_actions[16];
// The last action's number; under the lock.
std::uint64_t g_last_action = 0;

Action* ActionOf(DWORD thread) {
    for (Action& action : g_actions) {
        if (action.depth > 0 && action.thread == thread) return &action;
    }
    return nullptr;
}

bool IsServer(const std::wstring& drive) { return drive.size() > 1 && drive[0] == L'\\'; }

// Whether a call on the drive would wait for nothing: the drive has a call out that missed its
// deadline, or it is a server and as many calls to servers are out as may be.
const wchar_t* Hanging(const std::wstring& drive) {
    if (std::find(g_hanging.value.begin(), g_hanging.value.end(), drive) != g_hanging.value.end()) {
        return L" has a call out that hasn't come back";
    }
    if (IsServer(drive) && static_cast<std::size_t>(std::count_if(g_hanging.value.begin(), g_hanging.value.end(), IsServer)) >=
                               kMostServerCallsOut) {
        return L" is a server, and as many calls to servers are out as may be";
    }
    return nullptr;
}

// "<call> on <path> <what>", for whoever looks into why a member answered 68. The text is made
// here, where running out of memory for it is caught.
template <class What>
void Trace(const wchar_t* call, const std::wstring& path, What&& what) noexcept {
    try {
        TraceWarning(__FILE__, __LINE__, Utf16(std::wstring(call) + L" on \"" + path + L"\" " + what()));
    } catch (const std::exception&) {
        // No room left for a trace line: the call's outcome stands without it.
    }
}

}  // namespace

Errand::Errand(const wchar_t* call, const CallTarget& target) : call_(call), path_(target.path), drive_(target.drive) {}

namespace {

// Marks the first time the errand is heard from; later times leave it.
void Heard(volatile LONG& first_heard) {
    ::InterlockedCompareExchange(&first_heard, static_cast<LONG>(::GetTickCount() | 1), 0);
}

// The processor time a thread has used, in 100 ns units; 0 when it can't be read.
ULONGLONG WorkDone(HANDLE thread) {
    FILETIME created, exited, kernel, user;
    if (!::GetThreadTimes(thread, &created, &exited, &kernel, &user)) return 0;
    const auto whole = [](const FILETIME& t) { return (ULONGLONG{t.dwHighDateTime} << 32) | t.dwLowDateTime; };
    return whole(kernel) + whole(user);
}

}  // namespace

// Whether the worker has been working, not waiting, since the last look: it used the processor
// for at least a quarter of the time that passed. A call that waits on a drive or a server uses
// none. Under the lock.
bool Errand::SeenWorking() noexcept {
    const auto id = static_cast<DWORD>(::InterlockedCompareExchange(&worker_, 0, 0));
    if (id == 0) return false;  // still waiting for a worker
    const HANDLE thread = ::OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (thread == nullptr) return false;
    const ULONGLONG done = WorkDone(thread);
    ::CloseHandle(thread);
    const DWORD now = ::GetTickCount();
    const bool working = done > work_seen_ && (done - work_seen_) / 10000 * 4 >= now - work_seen_at_;
    work_seen_ = done;
    work_seen_at_ = now;
    return working;
}

void Errand::Answering() noexcept {
    ::InterlockedExchange(&last_answer_, static_cast<LONG>(::GetTickCount()));
    Heard(first_heard_);
}

ActionScope::ActionScope() noexcept {
    const DWORD thread = ::GetCurrentThreadId();
    ::AcquireSRWLockExclusive(&g_lock);
    Action* action = ActionOf(thread);
    if (action == nullptr) {
        for (Action& free : g_actions) {
            if (free.depth == 0) {
                free = Action{thread, 0, 0, ++g_last_action};
                action = &free;
                break;
            }
        }
    }
    if (action != nullptr) {
        ++action->depth;
        held_ = true;
    }
    ::ReleaseSRWLockExclusive(&g_lock);
}

ActionScope::~ActionScope() {
    if (!held_) return;
    ::AcquireSRWLockExclusive(&g_lock);
    if (Action* action = ActionOf(::GetCurrentThreadId())) --action->depth;
    ::ReleaseSRWLockExclusive(&g_lock);
}

std::uint64_t CurrentAction() noexcept {
    ::AcquireSRWLockShared(&g_lock);
    const Action* action = ActionOf(::GetCurrentThreadId());
    const std::uint64_t serial = action ? action->serial : 0;
    ::ReleaseSRWLockShared(&g_lock);
    return serial;
}

void AwaitEach(Errand** errands, std::size_t count) noexcept {
    const DWORD started = ::GetTickCount();
    for (std::size_t i = 0; i < count; ++i) {
        Errand* const errand = errands[i];
        ::AcquireSRWLockShared(&g_lock);
        const wchar_t* const hanging = Hanging(errand->drive_);
        ::ReleaseSRWLockShared(&g_lock);
        if (hanging) {
            Trace(errand->call_, errand->path_, [&] { return L"failed at once: " + errand->drive_ + hanging; });
            ReleaseErrand(errand);
            errands[i] = nullptr;
            continue;
        }
        errand->last_answer_ = static_cast<LONG>(started);
        errand->refs_ = 2;  // the caller's and the worker's
        errand->module_ = HoldLibrary();
        ::InterlockedIncrement(&g_out);
        // No worker to be had: the call runs here, as it would without a deadline.
        if (!::TrySubmitThreadpoolCallback(&Errand::Work, errand, nullptr)) Errand::Work(nullptr, errand);
    }

    // The errand heard from last decides: once even it has been silent for as long as the action
    // allows, and no worker is seen working, every errand still out is abandoned. Only one
    // silent for the whole deadline marks its drive.
    ::AcquireSRWLockExclusive(&g_lock);
    Action* const action = ActionOf(::GetCurrentThreadId());
    const DWORD allowed =
        action ? static_cast<DWORD>(pace::SilenceAllowed(action->spent)) : kSilenceMilliseconds;
    for (;;) {
        bool out = false;
        DWORD least_silent = MAXDWORD;
        for (std::size_t i = 0; i < count; ++i) {
            Errand* const errand = errands[i];
            if (errand == nullptr || errand->state_ == Errand::State::kDone) continue;
            out = true;
            // The last answer first: read after it, the clock can't be behind it.
            const auto last = static_cast<DWORD>(::InterlockedCompareExchange(&errand->last_answer_, 0, 0));
            least_silent = std::min(least_silent, ::GetTickCount() - last);
        }
        if (!out) break;
        if (least_silent < allowed) {
            ::SleepConditionVariableSRW(&g_ended, &g_lock, allowed - least_silent, 0);
            continue;
        }
        bool working = false;
        for (std::size_t i = 0; i < count; ++i) {
            Errand* const errand = errands[i];
            if (errand == nullptr || errand->state_ == Errand::State::kDone) continue;
            if (errand->SeenWorking()) {
                errand->Answering();
                working = true;
            }
        }
        if (working) continue;
        Errand::AbandonOut(errands, count);
        break;
    }
    if (action != nullptr) action->spent += Errand::SilenceSpent(errands, count, started);
    ::ReleaseSRWLockExclusive(&g_lock);

    // Once abandoned, nothing else writes an errand's state, and the caller's reference keeps it.
    for (std::size_t i = 0; i < count; ++i) {
        Errand* const errand = errands[i];
        if (errand == nullptr || errand->state_ != Errand::State::kAbandoned) continue;
        Trace(errand->call_, errand->path_, [&] {
            return L"missed its deadline after " + std::to_wstring(::GetTickCount() - started) + L" ms; " +
                   errand->drive_ +
                   (errand->marked_ ? L" fails at once until it comes back" : L" is asked again next time");
        });
        ReleaseErrand(errand);
        errands[i] = nullptr;
    }
}

// Gives up on every errand still out, under the lock. Each marks its drive as hanging when it
// was silent for the whole deadline, unless another drive had a call given up on and still out
// before, and its own drive none: under Wine a call may wait for another drive's call that holds
// a lock of the process (listing a folder, looking a name up), and so say nothing of its own
// drive, which is asked again next time; a second such call does mark it. A server's call marks
// it all the same, so that dead servers stay bounded (kMostServerCallsOut).
void Errand::AbandonOut(Errand** errands, std::size_t count) noexcept {
    const auto missed_before = static_cast<std::ptrdiff_t>(g_missed.value.size());
    const auto out_before = [&](auto&& which) {
        return std::any_of(g_missed.value.begin(), g_missed.value.begin() + missed_before, which);
    };
    for (std::size_t i = 0; i < count; ++i) {
        Errand* const errand = errands[i];
        if (errand == nullptr || errand->state_ == Errand::State::kDone) continue;
        errand->state_ = Errand::State::kAbandoned;
        const std::wstring& drive = errand->drive_;
        const bool whole = ::GetTickCount() - static_cast<DWORD>(errand->last_answer_) >= kSilenceMilliseconds;
        const bool behind_another = !IsServer(drive) &&
                                    out_before([&](const std::wstring& d) { return d != drive; }) &&
                                    !out_before([&](const std::wstring& d) { return d == drive; });
        try {
            g_missed.value.push_back(drive);
            errand->missed_ = true;
            if (whole && !behind_another) {
                g_hanging.value.push_back(drive);
                errand->marked_ = true;
            }
        } catch (const std::exception&) {
            // Unmarked, the drive is asked again next time, that's all.
        }
    }
}

// What the errands spent in silence, under the lock: the longest any of them waited before it
// was first heard from, or until it was given up on (then from its last answer).
std::uint64_t Errand::SilenceSpent(Errand* const* errands, std::size_t count, DWORD started) noexcept {
    const DWORD ended = ::GetTickCount();
    DWORD spent = 0;
    for (std::size_t i = 0; i < count; ++i) {
        Errand* const errand = errands[i];
        if (errand == nullptr) continue;
        const auto first = static_cast<DWORD>(errand->first_heard_);
        DWORD silent = first != 0 ? std::min(first - started, ended - started) : ended - started;
        if (errand->state_ == Errand::State::kAbandoned) {
            silent = std::max(silent, ended - static_cast<DWORD>(errand->last_answer_));
        }
        spent = std::max(spent, silent);
    }
    return spent;
}

// On the worker. Its own reference goes last: the errand lives as long as either side holds it.
void CALLBACK Errand::Work(PTP_CALLBACK_INSTANCE instance, void* context) noexcept {
    auto* errand = static_cast<Errand*>(context);
    const DWORD started = ::GetTickCount();
    errand->work_seen_ = WorkDone(::GetCurrentThread());
    errand->work_seen_at_ = started;
    ::InterlockedExchange(&errand->worker_, static_cast<LONG>(::GetCurrentThreadId()));
    errand->Run();
    const HMODULE module = errand->module_;
    if (errand->Finish()) {
        // An abandoned call counts as out until it has said so, so that whoever waits for the
        // calls to come back finds its line and what it passed on.
        const bool passed_on = errand->CameBack();
        Trace(errand->call_, errand->path_, [&] {
            return L"came back after " + std::to_wstring(::GetTickCount() - started) +
                   (passed_on ? L" ms; its answer is passed on" : L" ms; its result is dropped");
        });
        ::InterlockedDecrement(&g_out);
    }
    ReleaseErrand(errand);
    LetGoOfLibrary(instance, module);
}

HMODULE HoldLibrary() noexcept {
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&HoldLibrary),
                              &module)) {
        return nullptr;
    }
    return module;
}

void LetGoOfLibrary(PTP_CALLBACK_INSTANCE instance, HMODULE module) noexcept {
    if (module == nullptr) return;
    if (instance) {
        ::FreeLibraryWhenCallbackReturns(instance, module);
    } else {
        ::FreeLibrary(module);
    }
}

// The call is back: one its caller still waits for counts as out no longer before the caller
// hears of it, so that the caller never finds its own finished call still out; an abandoned one
// is left to the worker to count. The worker's hold on the library keeps the rest of its
// callback safe. Answers whether the call was abandoned.
bool Errand::Finish() noexcept {
    ::AcquireSRWLockExclusive(&g_lock);
    const bool abandoned = state_ == State::kAbandoned;
    // Only a call that marked its drive takes a mark away: another call out on the drive keeps its own.
    const auto take_away = [&](std::vector<std::wstring>& drives) {
        const auto found = std::find(drives.begin(), drives.end(), drive_);
        if (found != drives.end()) drives.erase(found);
    };
    if (abandoned && marked_) take_away(g_hanging.value);
    if (abandoned && missed_) take_away(g_missed.value);
    if (!abandoned) {
        state_ = State::kDone;
        ::InterlockedDecrement(&g_out);
    }
    Heard(first_heard_);
    ::ReleaseSRWLockExclusive(&g_lock);
    ::WakeAllConditionVariable(&g_ended);
    return abandoned;
}

void ReleaseErrand(Errand* errand) noexcept {
    if (::InterlockedDecrement(&errand->refs_) == 0) delete errand;
}

LONG CallsOut() noexcept { return ::InterlockedCompareExchange(&g_out, 0, 0); }

void ReleaseCallMarks() noexcept {
    g_hanging.Release();
    g_missed.Release();
}

}  // namespace selvane::win32
