#include "win32/win32_file_system.h"

#include <vector>

#include "win32/file_access.h"
#include "win32/win32_base.h"
#include "paths/path_text.h"

namespace selvane::win32 {
void Win32FileSystem::Enumerate(const std::u16string& path, std::uint32_t mask,
                                const std::function<bool(const std::u16string& name)>& on_match) {
    std::wstring query = Wide(path);
    // A bare directory matches everything in it.
    if (query.empty() || paths::IsSeparator(query.back())) query += L'*';

    std::vector<FoundEntry> entries;
    if (!reads_.ListEntries(query, FindExSearchNameMatch, entries)) {
        const DWORD error = ::GetLastError();
        // A name longer than any the system takes names nothing.
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_NO_MORE_FILES ||
            error == ERROR_FILENAME_EXCED_RANGE) {
            return;
        }
        RaiseWin32(error);
    }
    for (const FoundEntry& entry : entries) {
        if (host::QualifiesForMask(entry.attributes, mask) && !on_match(Utf16(entry.name))) return;
    }
}

host::FileStat Win32FileSystem::Stat(const std::u16string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!reads_.FileAttributeData(Wide(path), data)) RaiseLastError();
    host::FileStat stat;
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        stat.length = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
    SYSTEMTIME utc;
    SYSTEMTIME local;
    // The zone rules of the file's own date, so a summer file shows summer time all year.
    if (::FileTimeToSystemTime(&data.ftLastWriteTime, &utc) && ::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) {
        stat.modified = LocalTime{local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
    }
    return stat;
}

bool Win32FileSystem::IsDirectory(const std::u16string& path) {
    const DWORD attributes = reads_.FileAttributes(Wide(path));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Win32FileSystem::HasDrive(char16_t letter) const {
    const char16_t folded = paths::FoldAscii(letter);
    if (folded < u'a' || folded > u'z') return false;
    return (::GetLogicalDrives() & (1u << (folded - u'a'))) != 0;
}

}  // namespace selvane::win32
