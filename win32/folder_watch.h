// The surface's watch on one folder: names of files and sub-folders added, removed or renamed
// there, through the system's change notification. The wait runs on the thread pool, whose
// callback does nothing but post a message to the surface's window; everything else happens
// on the window's thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "win32/handles.h"
#include "win32/read_ahead.h"

namespace selvane::win32 {

class FolderWatch {
public:
    // A change is posted to the window as the message, with wparam naming the watch it came from.
    FolderWatch(HWND window, UINT message) : window_(window), message_(message) {}
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // Watches the folder in place of any other. False when the system can't watch it (the folder
    // is missing, or its drive, a network server say, gives no change notification, or doesn't
    // answer within the deadline of deadline.h); nothing is retried then, and nothing runs.
    bool Start(const std::wstring& folder);
    void Stop();
    bool active() const { return static_cast<bool>(change_); }
    // Whether a posted message comes from this watch as it now is, not from one since stopped.
    bool Posted(WPARAM wparam) const { return active() && wparam == generation_; }
    // Whether a check's answer (CheckLater) is about this watch as it now is, armed or not.
    bool Checked(WPARAM wparam) const { return wparam == generation_; }
    // After a change, one message comes and then nothing until this asks for the next change:
    // the folder (this one or another) is watched anew, on a worker of the thread pool, which
    // then makes the calls given (ReadAhead) and posts the message, wparam naming the watch;
    // until Relisted takes the result, nothing is watched. A folder that has gone meanwhile is
    // watched no more. False when there is no worker to be had: the watch is armed here then.
    bool RelistLater(const std::wstring& folder, UINT message, std::vector<FileCall> calls);
    // Whether the worker's result is still to come and wanted.
    bool relisting() const { return relisting_ != nullptr && relisting_->generation == generation_; }
    // The worker's result, when the message is about this watch as it now is: the watch armed
    // anew (or lost, when the folder couldn't be watched), the answers to the calls, and the
    // tick at which the work began. False, and nothing changed, for a result that is no longer
    // wanted (the watch was stopped or started anew meanwhile).
    bool Relisted(WPARAM wparam, std::vector<FileAnswer>& answers, ULONGLONG& began);
    // Whether the folder at the watched path is still the one the watch was started on: not
    // renamed away with another made in its place, not out of reach (its drive gone). A watch
    // on a folder whose identity the system doesn't give is taken as holding, and so is one
    // armed or found holding earlier in the same action (deadline.h): one action asks once.
    bool Holds() const;
    // The same question asked on a worker of the thread pool: the answer is posted to the window
    // as the message, with wparam naming the watch, and lparam holding whether it held (bit 0)
    // and the milliseconds the check took (the bits above). A watch lost or never armed holds
    // until its folder answers. False when there is no folder to check or no worker to be had:
    // nothing is posted then.
    bool CheckLater(UINT message) const;

private:
    struct Relisting {
        volatile LONG refs = 2;  // the watch's and the worker's: whichever lets go last frees it
        volatile LONG done = 0;  // set once the worker has written its results
        std::wstring folder;
        std::vector<FileCall> calls;
        HWND window = nullptr;
        UINT message = 0;
        WPARAM generation = 0;
        ULONGLONG began = 0;
        HMODULE module = nullptr;
        UniqueChangeNotification change;
        bool identified = false;
        BY_HANDLE_FILE_INFORMATION identity{};
        std::vector<FileAnswer> answers;
    };
    static void CALLBACK Signalled(void* self, BOOLEAN timed_out);
    static void CALLBACK Relist(PTP_CALLBACK_INSTANCE instance, void* context) noexcept;
    static void Release(Relisting* job) noexcept;
    bool Wait();
    // Takes the folder's change notification and identity as armed, and waits for a change.
    bool Adopt(UniqueChangeNotification change, bool identified, const BY_HANDLE_FILE_INFORMATION& identity);

    HWND window_;
    UINT message_;
    std::wstring folder_;
    UniqueChangeNotification change_;
    UniqueWait wait_;
    WPARAM generation_ = 0;
    bool identified_ = false;
    BY_HANDLE_FILE_INFORMATION identity_{};
    mutable std::uint64_t held_in_action_ = 0;
    Relisting* relisting_ = nullptr;
};

}  // namespace selvane::win32
