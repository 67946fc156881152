// How the Win32 host reaches files: paths beyond MAX_PATH, and no system dialogs for empty drives.
#pragma once

#include <windows.h>

#include <string>

namespace selvane::win32 {

// The form of a path that the wide file APIs take at any length. Short paths and relative ones
// stay as they are; a long absolute path is made full and gets the extended-length prefix
// ("\\?\c:\..." or "\\?\UNC\server\share\..."). The prefix never leaves the file-access layer.
std::wstring ExtendedPath(const std::wstring& path);

// The full form of a path ("..", "." and "/" made plain, a relative path taken from the
// current directory); empty when the system can't give one.
std::wstring FullPath(const std::wstring& path);

// While it lives, a drive without a medium fails the call instead of asking the user for a disk.
class QuietDriveErrors {
public:
    QuietDriveErrors();
    ~QuietDriveErrors();
    QuietDriveErrors(const QuietDriveErrors&) = delete;
    QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

private:
    DWORD previous_ = 0;
    bool restore_ = false;
};

// Attributes of a path, or INVALID_FILE_ATTRIBUTES with the reason in GetLastError.
DWORD FileAttributes(const std::wstring& path);

}  // namespace selvane::win32
