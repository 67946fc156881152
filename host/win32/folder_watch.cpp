#include "host/win32/folder_watch.h"

#include "host/win32/file_access.h"

namespace selvane::win32 {

bool FolderWatch::Start(const std::wstring& folder) {
    Stop();
    if (folder.empty()) return false;
    // A new generation, so that a message a stopped watch posted before it stopped is ignored.
    ++generation_;
    change_ = WatchFolderNames(folder, FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME);
    if (!change_) return false;
    if (Wait()) return true;
    Stop();
    return false;
}

void FolderWatch::Stop() {
    // The wait first: its callback may be running, and must be done before the handle goes.
    wait_.reset();
    change_.reset();
}

void FolderWatch::Rearm() {
    if (!active()) return;
    // Changes made since the handle was signalled signal it again at once.
    if (!::FindNextChangeNotification(change_.get()) || !Wait()) Stop();
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
