#include "win32/folder_watch.h"

#include "win32/file_access.h"

namespace selvane::win32 {

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
    return FolderIdentity(folder_, now) && now.dwVolumeSerialNumber == identity_.dwVolumeSerialNumber &&
           now.nFileIndexHigh == identity_.nFileIndexHigh && now.nFileIndexLow == identity_.nFileIndexLow;
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
