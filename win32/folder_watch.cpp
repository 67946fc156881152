#include "win32/folder_watch.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <new>

#include "win32/deadline.h"
#include "win32/file_access.h"

namespace selvane::win32 {
namespace {

// Names of files and sub-folders added, removed or renamed.
constexpr DWORD kNames = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;

bool SameFolder(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

// What a check on a worker needs, its own copy of all of it.
struct Check {
    std::wstring folder;
    BY_HANDLE_FILE_INFORMATION identity;
    bool live;  // a watch armed on a folder known by its identity; else one lost or never armed
    HWND window;
    UINT message;
    WPARAM generation;
    HMODULE module;
};

void CALLBACK RunCheck(PTP_CALLBACK_INSTANCE instance, void* context) noexcept {
    std::unique_ptr<Check> check(static_cast<Check*>(context));
    const ULONGLONG started = ::GetTickCount64();
    // A check that gets no answer in time says nothing of the folder: it is taken as holding,
    // and only the pace of the checks slows. A watch lost or never armed "holds" until its
    // folder answers: only then is it the host's thread's to arm again.
    bool held = true;
    try {
        BY_HANDLE_FILE_INFORMATION now{};
        if (FolderIdentity(check->folder, now)) {
            held = check->live && SameFolder(now, check->identity);
        } else {
            held = !check->live || ::GetLastError() == ERROR_TIMEOUT;
        }
    } catch (const std::exception&) {
        // No memory to ask with: taken as holding, and asked again at the next check.
    }
    const ULONGLONG took = std::min<ULONGLONG>(::GetTickCount64() - started, 0x3FFFFFFF);
    ::PostMessageW(check->window, check->message, check->generation,
                   static_cast<LPARAM>((took << 1) | (held ? 1 : 0)));
    const HMODULE module = check->module;
    check.reset();
    LetGoOfLibrary(instance, module);
}

}  // namespace

FolderWatch::~FolderWatch() {
    Stop();
    Release(relisting_);
}

bool FolderWatch::Start(const std::wstring& folder) {
    Stop();
    if (folder.empty()) return false;
    // A new generation, so that a message a stopped watch posted before it stopped is ignored.
    ++generation_;
    folder_ = folder;
    UniqueChangeNotification change = WatchFolderNames(folder, kNames);
    if (!change) return false;
    BY_HANDLE_FILE_INFORMATION identity{};
    const bool identified = FolderIdentity(folder, identity);
    return Adopt(std::move(change), identified, identity);
}

bool FolderWatch::Adopt(UniqueChangeNotification change, bool identified, const BY_HANDLE_FILE_INFORMATION& identity) {
    change_ = std::move(change);
    identified_ = identified;
    identity_ = identity;
    held_in_action_ = CurrentAction();
    if (Wait()) return true;
    Stop();
    return false;
}

void FolderWatch::Stop() {
    // The wait first: its callback may be running, and must be done before the handle goes.
    wait_.reset();
    change_.reset();
    // Nothing begun before is wanted now: not a change posted, not a rearming out on a worker.
    ++generation_;
}

bool FolderWatch::Holds() const {
    if (!active()) return false;
    if (!identified_) return true;
    const std::uint64_t action = CurrentAction();
    if (action != 0 && action == held_in_action_) return true;
    BY_HANDLE_FILE_INFORMATION now{};
    const bool holds = FolderIdentity(folder_, now) && SameFolder(now, identity_);
    if (holds) held_in_action_ = action;
    return holds;
}

// Anew rather than through FindNextChangeNotification: a folder being removed stays until the
// last handle on it closes, this watch's own among them, and Wine shows it whole until then (its
// attributes, its entry, even opening it). Let go of, it goes, and watching it again fails.
// Whatever changed in between is in the listing that follows.
bool FolderWatch::RelistLater(const std::wstring& folder, UINT message, std::vector<FileCall> calls) {
    if (folder.empty()) return false;
    Release(relisting_);
    relisting_ = nullptr;
    Relisting* job = new (std::nothrow) Relisting;
    try {
        if (job != nullptr) job->folder = folder;
        folder_ = folder;
    } catch (const std::exception&) {
        delete job;
        job = nullptr;
    }
    Stop();
    if (job != nullptr) {
        job->calls = std::move(calls);
        job->window = window_;
        job->message = message;
        job->generation = generation_;
        job->began = ::GetTickCount64();
        job->module = HoldLibrary();
        if (::TrySubmitThreadpoolCallback(&Relist, job, nullptr)) {
            relisting_ = job;
            return true;
        }
        LetGoOfLibrary(nullptr, job->module);
    }
    // No worker, or no memory for one: here, and the caller lists here too.
    delete job;
    Start(std::wstring(folder_));
    return false;
}

void CALLBACK FolderWatch::Relist(PTP_CALLBACK_INSTANCE instance, void* context) noexcept {
    auto* const job = static_cast<Relisting*>(context);
    try {
        job->change = WatchFolderNames(job->folder, kNames);
        if (job->change) job->identified = FolderIdentity(job->folder, job->identity);
        job->answers = AnswersTo(job->calls);
    } catch (const std::exception&) {
        // No memory for the answers: the listing asks the disk for what it lacks.
    }
    ::InterlockedExchange(&job->done, 1);
    ::PostMessageW(job->window, job->message, job->generation, 0);
    const HMODULE module = job->module;
    Release(job);
    LetGoOfLibrary(instance, module);
}

bool FolderWatch::Relisted(WPARAM wparam, std::vector<FileAnswer>& answers, ULONGLONG& began) {
    Relisting* const job = relisting_;
    if (job == nullptr || job->generation != wparam || ::InterlockedCompareExchange(&job->done, 0, 0) == 0) {
        return false;
    }
    relisting_ = nullptr;
    const bool wanted = wparam == generation_ && !active();
    if (wanted) {
        answers = std::move(job->answers);
        began = job->began;
        if (job->change) Adopt(std::move(job->change), job->identified, job->identity);
    }
    Release(job);
    return wanted;
}

void FolderWatch::Release(Relisting* job) noexcept {
    if (job != nullptr && ::InterlockedDecrement(&job->refs) == 0) delete job;
}

bool FolderWatch::CheckLater(UINT message) const {
    if (folder_.empty()) return false;
    auto* const check =
        new (std::nothrow) Check{{}, identity_, active() && identified_, window_, message, generation_, nullptr};
    if (check == nullptr) return false;
    try {
        check->folder = folder_;
    } catch (const std::exception&) {
        delete check;
        return false;
    }
    check->module = HoldLibrary();
    if (!::TrySubmitThreadpoolCallback(&RunCheck, check, nullptr)) {
        LetGoOfLibrary(nullptr, check->module);
        delete check;
        return false;
    }
    return true;
}

// Once only: the handle stays signalled until Rearm, and a repeating wait would call back
// without end in the meantime.
bool FolderWatch::Wait() {
    wait_.reset();
    HANDLE wait = nullptr;
    if (!::RegisterWaitForSingleObject(&wait, change_.get(), &Signalled, this, INFINITE,
                                       WT_EXECUTEONLYONCE | WT_EXECUTEINWAITTHREAD)) {
        return false;
    }
    wait_.reset(wait);
    return true;
}

// On a thread of the pool: the window and the generation are read only, and neither changes
// while a wait is registered.
void CALLBACK FolderWatch::Signalled(void* self, BOOLEAN) {
    const auto* watch = static_cast<const FolderWatch*>(self);
    ::PostMessageW(watch->window_, watch->message_, watch->generation_, 0);
}

}  // namespace selvane::win32
