#include "win32/folders_above.h"

#include <exception>
#include <new>
#include <utility>
#include <vector>

#include "paths/path_text.h"
#include "win32/deadline.h"
#include "win32/file_access.h"
#include "win32/handles.h"
#include "win32/win32_base.h"

namespace selvane::win32 {

// Shared by the watches and the worker that arms them: whichever lets go last frees it.
struct FoldersAbove::Watched {
    struct One {
        UniqueChangeNotification change;
        // Declared after the handle, so that the wait goes first.
        UniqueWait wait;
        const Watched* owner = nullptr;
        LPARAM index = 0;
    };

    HWND window = nullptr;
    UINT message = 0;
    WPARAM generation = 0;
    std::vector<std::wstring> folders;
    HMODULE module = nullptr;
    SRWLOCK lock = SRWLOCK_INIT;
    // Under the lock: set once the watches are no longer wanted; the watches adopted so far.
    bool stopped = false;
    std::vector<std::unique_ptr<One>> ones;

    // Once only: the handle stays signalled until it is watched again, and a repeating wait
    // would call back without end meanwhile. The callback posts, and touches nothing else.
    static void CALLBACK Signalled(void* context, BOOLEAN) {
        const auto* one = static_cast<const One*>(context);
        ::PostMessageW(one->owner->window, one->owner->message, one->owner->generation, one->index);
    }
    static bool Wait(One& one) {
        HANDLE wait = nullptr;
        if (!::RegisterWaitForSingleObject(&wait, one.change.get(), &Signalled, &one, INFINITE,
                                           WT_EXECUTEONLYONCE | WT_EXECUTEINWAITTHREAD)) {
            return false;
        }
        one.wait.reset(wait);
        return true;
    }
};

bool FoldersAbove::Start(const std::wstring& folder) {
    Stop();
    std::shared_ptr<Watched> watched;
    try {
        watched = std::make_shared<Watched>();
        for (std::u16string above = paths::ParentFolder(Utf16(folder)); !above.empty();
             above = paths::ParentFolder(above)) {
            watched->folders.push_back(Wide(above));
        }
    } catch (const std::exception&) {
        return false;
    }
    if (watched->folders.empty()) return true;
    watched->window = window_;
    watched->message = message_;
    watched->generation = generation_;
    auto* job = new (std::nothrow) std::shared_ptr<Watched>(watched);
    if (job == nullptr) return false;
    watched->module = HoldLibrary();
    if (!::TrySubmitThreadpoolCallback(&Arm, job, nullptr)) {
        LetGoOfLibrary(nullptr, watched->module);
        delete job;
        return false;
    }
    watched_ = std::move(watched);
    return true;
}

void CALLBACK FoldersAbove::Arm(PTP_CALLBACK_INSTANCE instance, void* context) noexcept {
    auto* job = static_cast<std::shared_ptr<Watched>*>(context);
    Watched& watched = **job;
    const HMODULE module = watched.module;
    std::vector<std::unique_ptr<Watched::One>> armed;
    try {
        for (std::size_t i = 0; i < watched.folders.size(); ++i) {
            UniqueChangeNotification change = WatchFolderNames(watched.folders[i], FILE_NOTIFY_CHANGE_DIR_NAME);
            if (!change) continue;
            auto one = std::make_unique<Watched::One>();
            one->change = std::move(change);
            one->owner = &watched;
            one->index = static_cast<LPARAM>(i);
            armed.push_back(std::move(one));
        }
        SrwLocked locked(watched.lock);
        if (!watched.stopped) {
            watched.ones.reserve(armed.size());
            for (auto& one : armed) {
                if (Watched::Wait(*one)) watched.ones.push_back(std::move(one));
            }
        }
    } catch (const std::exception&) {
        // No memory for the watches: those armed go, and the watch's own checks stand in.
    }
    // Those not adopted close here, outside the lock.
    armed.clear();
    delete job;
    LetGoOfLibrary(instance, module);
}

void FoldersAbove::Stop() {
    // A new generation, so that a message posted before now is ignored.
    ++generation_;
    if (!watched_) return;
    std::vector<std::unique_ptr<Watched::One>> ones;
    {
        SrwLocked locked(watched_->lock);
        watched_->stopped = true;
        ones.swap(watched_->ones);
    }
    ones.clear();
    watched_.reset();
}

bool FoldersAbove::Take(WPARAM wparam, LPARAM lparam) {
    if (!watched_ || wparam != watched_->generation) return false;
    SrwLocked locked(watched_->lock);
    for (auto& one : watched_->ones) {
        if (one->index != lparam) continue;
        one->wait.reset();
        if (!::FindNextChangeNotification(one->change.get()) || !Watched::Wait(*one)) one->change.reset();
        return true;
    }
    return false;
}

std::wstring DriveMapping(const std::wstring& folder) {
    if (folder.size() < 2 || folder[1] != L':') return {};
    const wchar_t letter[] = {folder[0], L':', L'\0'};
    wchar_t target[1024];
    const DWORD length = ::QueryDosDeviceW(letter, target, ARRAYSIZE(target));
    // The first name the letter leads to, which the list of names ends with a double NUL.
    return length == 0 ? std::wstring() : std::wstring(target);
}

}  // namespace selvane::win32
