// How the Win32 host reaches files: every path the control hands to the file APIs passes here,
// so that paths beyond MAX_PATH work, paths no file can have never reach the system, and empty
// drives ask for no disk.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "win32/win32_base.h"

namespace selvane::win32 {

// The full form of a path ("..", "." and "/" made plain, a relative path taken from the current
// directory); empty, with the reason in GetLastError, when the system can't give one. A path
// longer than any name the system takes is refused unasked (ERROR_FILENAME_EXCED_RANGE).
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

// The calls below take a path at any length: a long one is made full and handed over with the
// extended-length prefix ("\\?\c:\..." or "\\?\UNC\server\share\..."), which never leaves this
// layer. A path whose full form can't name anything (paths::FitsSystemName) is not handed over:
// the call fails as the system fails it on Windows, with ERROR_FILENAME_EXCED_RANGE. Wine 8
// overruns its heap on such a path instead.
//
// Each runs under the deadline of deadline.h: when the drive doesn't answer, or has a call out
// that hasn't come back, it fails with ERROR_TIMEOUT ("Device unavailable" to the control).

// Attributes of a path, or INVALID_FILE_ATTRIBUTES with the reason in GetLastError.
DWORD FileAttributes(const std::wstring& path);

// Attributes, size and times of a path; false with the reason in GetLastError.
bool FileAttributeData(const std::wstring& path, WIN32_FILE_ATTRIBUTE_DATA& data);

// An entry of a folder as a listing reads it.
struct FoundEntry {
    std::wstring name;
    DWORD attributes;
};

// The entries FindFirstFileExW (basic information level, no short names) and FindNextFileW give
// for the path, at most limit of them (0: all). False, with the reason in GetLastError, when
// nothing can be found; entries read before a listing broke off stand. The deadline is on
// silence: a listing that keeps reading names is not cut off.
bool ListEntries(const std::wstring& path, FINDEX_SEARCH_OPS search, std::vector<FoundEntry>& entries,
                 std::size_t limit = 0);

// FindFirstChangeNotificationW on the folder alone (no sub-tree); an invalid handle with the
// reason in GetLastError when the system can't watch it.
UniqueChangeNotification WatchFolderNames(const std::wstring& folder, DWORD filter);

// Which folder the path names now: its volume and its index there, the same for as long as
// that folder lives, whatever its name; false with the reason in GetLastError.
bool FolderIdentity(const std::wstring& folder, BY_HANDLE_FILE_INFORMATION& identity);

}  // namespace selvane::win32
