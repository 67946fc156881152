#include "win32/folder_watch.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <new>

#include "win32/deadline.h"
#include "win32/file_access.h"

namespace selvane::win32 {
namespace {

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

bool FolderWatch::Start(const std::wstring& folder) {
    Stop();
    if (folder.empty()) return false;
    // A new generation, so that a message a stopped watch posted before it stopped is ignored.
    ++generation_;
    folder_ = folder;
    change_ = WatchFolderNames(folder, FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME);
    if (!change_) return false;
    identified_ = FolderIdentity(folder, identity_);
    if (Wait()) return true;
    Stop();
    return false;
}

void FolderWatch::Stop() {
    // The wait first: its callback may be running, and must be done before the handle goes.
    wait_.reset();
    change_.reset();
}

// Anew rather than through FindNextChangeNotification: a folder being removed stays until the
// last handle on it closes, this watch's own among them, and Wine shows it whole until then (its
// attributes, its entry, even opening it). Let go of, it goes, and watching it again fails.
// Whatever changed in between is in the listing that follows.
void FolderWatch::Rearm() {
    if (!active()) return;
    const std::wstring folder = folder_;
    Start(folder);
}

bool FolderWatch::Holds() const {
    if (!active()) return false;
    if (!identified_) return true;
    BY_HANDLE_FILE_INFORMATION now{};
    return FolderIdentity(folder_, now) && SameFolder(now, identity_);
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
