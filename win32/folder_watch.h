// The surface's watch on one folder: names of files and sub-folders added, removed or renamed
// there, through the system's change notification. The wait runs on the thread pool, whose
// callback does nothing but post a message to the surface's window; everything else happens
// on the window's thread.
#pragma once

#include <windows.h>

#include <string>

#include "win32/handles.h"

namespace selvane::win32 {

class FolderWatch {
public:
    // A change is posted to the window as the message, with wparam naming the watch it came from.
    FolderWatch(HWND window, UINT message) : window_(window), message_(message) {}
    ~FolderWatch() { Stop(); }
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
    // the folder is watched anew. A folder that has gone meanwhile is watched no more.
    void Rearm();
    // Whether the folder at the watched path is still the one the watch was started on: not
    // renamed away with another made in its place, not out of reach (its drive gone). A watch
    // on a folder whose identity the system doesn't give is taken as holding.
    bool Holds() const;
    // The same question asked on a worker of the thread pool: the answer is posted to the window
    // as the message, with wparam naming the watch, and lparam holding whether it held (bit 0)
    // and the milliseconds the check took (the bits above). A watch lost or never armed holds
    // until its folder answers. False when there is no folder to check or no worker to be had:
    // nothing is posted then.
    bool CheckLater(UINT message) const;

private:
    static void CALLBACK Signalled(void* self, BOOLEAN timed_out);
    bool Wait();

    HWND window_;
    UINT message_;
    std::wstring folder_;
    UniqueChangeNotification change_;
    UniqueWait wait_;
    WPARAM generation_ = 0;
    bool identified_ = false;
    BY_HANDLE_FILE_INFORMATION identity_{};
};

}  // namespace selvane::win32
