// The folders above a watched one, each watched for the names of its sub-folders. A folder moved,
// renamed or removed, or one above it renamed or removed, says nothing to the folder's own watch
// (the system tells a watch of the names in its folder, not of the folder's own name), while
// the folder above it hears of it. The watches are armed on a worker of the thread pool, so that
// a slow drive holds up nobody, and each tells of a change by posting a message to the window.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

namespace selvane::win32 {

class FoldersAbove {
public:
    // A change is posted as the message, wparam naming the watches as they were started and
    // lparam the folder that changed; that folder then posts nothing more until Take has it.
    FoldersAbove(HWND window, UINT message) : window_(window), message_(message) {}
    ~FoldersAbove() { Stop(); }
    FoldersAbove(const FoldersAbove&) = delete;
    FoldersAbove& operator=(const FoldersAbove&) = delete;

    // Watches each folder above `folder` up to its root, in place of those watched before; one
    // the system can't watch is passed over. False when no worker is to be had: nothing runs.
    bool Start(const std::wstring& folder);
    void Stop();
    // Whether the message comes from these watches as they now are; the folder that posted it is
    // watched again.
    bool Take(WPARAM wparam, LPARAM lparam);

private:
    struct Watched;
    static void CALLBACK Arm(PTP_CALLBACK_INSTANCE instance, void* context) noexcept;

    HWND window_;
    UINT message_;
    WPARAM generation_ = 0;
    std::shared_ptr<Watched> watched_;
};

// What the drive letter the folder starts with leads to, as the system's device names say: the
// folder a substituted drive stands for, a network drive's connection, a volume. It changes when
// the letter is made to lead elsewhere; empty for a path without a drive letter or a letter that
// leads nowhere. Asks no drive.
std::wstring DriveMapping(const std::wstring& folder);

}  // namespace selvane::win32
