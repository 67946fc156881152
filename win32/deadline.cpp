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
// The drives with a call out that missed its deadline, once per such call. Constant-initialized,
// so no guard of the runtime's runs for it.
std::vector<std::wstring> g_hanging;
volatile LONG g_out = 0;

bool IsServer(const std::wstring& drive) { return drive.size() > 1 && drive[0] == L'\\'; }

// Whether a call on the drive would wait for nothing: the drive has a call out that missed its
// deadline, or it is a server and as many calls to servers are out as may be.
const wchar_t* Hanging(const std::wstring& drive) {
    if (std::find(g_hanging.begin(), g_hanging.end(), drive) != g_hanging.end()) {
        return L" has a call out that hasn't come back";
    }
    if (IsServer(drive) && static_cast<std::size_t>(std::count_if(g_hanging.begin(), g_hanging.end(), IsServer)) >=
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

void Errand::Answering() noexcept { ::InterlockedExchange(&last_answer_, static_cast<LONG>(::GetTickCount())); }

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

    // The errand heard from last decides: once even it has been silent for the deadline, every
    // errand still out is abandoned.
    ::AcquireSRWLockExclusive(&g_lock);
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
        if (least_silent < kSilenceMilliseconds) {
            ::SleepConditionVariableSRW(&g_ended, &g_lock, kSilenceMilliseconds - least_silent, 0);
            continue;
        }
        for (std::size_t i = 0; i < count; ++i) {
            Errand* const errand = errands[i];
            if (errand == nullptr || errand->state_ == Errand::State::kDone) continue;
            try {
                g_hanging.push_back(errand->drive_);
                errand->marked_ = true;
            } catch (const std::exception&) {
                // Unmarked, the drive is asked again next time, that's all.
            }
            errand->state_ = Errand::State::kAbandoned;
        }
        break;
    }
    ::ReleaseSRWLockExclusive(&g_lock);

    // Once abandoned, nothing else writes an errand's state, and the caller's reference keeps it.
    for (std::size_t i = 0; i < count; ++i) {
        Errand* const errand = errands[i];
        if (errand == nullptr || errand->state_ != Errand::State::kAbandoned) continue;
        Trace(errand->call_, errand->path_, [&] {
            return L"missed its deadline after " + std::to_wstring(::GetTickCount() - started) + L" ms" +
                   (errand->marked_ ? L"; " + errand->drive_ + L" fails at once until it comes back" : L"");
        });
        ReleaseErrand(errand);
        errands[i] = nullptr;
    }
}

// On the worker. Its own reference goes last: the errand lives as long as either side holds it.
void CALLBACK Errand::Work(PTP_CALLBACK_INSTANCE instance, void* context) noexcept {
    auto* errand = static_cast<Errand*>(context);
    const DWORD started = ::GetTickCount();
    errand->Run();
    const HMODULE module = errand->module_;
    if (errand->Finish()) {
        // An abandoned call counts as out until it has said so, so that whoever waits for the
        // calls to come back finds its line.
        Trace(errand->call_, errand->path_, [&] {
            return L"came back after " + std::to_wstring(::GetTickCount() - started) + L" ms; its result is dropped";
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
    if (abandoned && marked_) {
        const auto found = std::find(g_hanging.begin(), g_hanging.end(), drive_);
        if (found != g_hanging.end()) g_hanging.erase(found);
    }
    if (!abandoned) {
        state_ = State::kDone;
        ::InterlockedDecrement(&g_out);
    }
    ::ReleaseSRWLockExclusive(&g_lock);
    ::WakeAllConditionVariable(&g_ended);
    return abandoned;
}

void ReleaseErrand(Errand* errand) noexcept {
    if (::InterlockedDecrement(&errand->refs_) == 0) delete errand;
}

LONG CallsOut() noexcept { return ::InterlockedCompareExchange(&g_out, 0, 0); }

}  // namespace selvane::win32
