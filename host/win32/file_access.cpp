#include "host/win32/file_access.h"

#include <optional>
#include <vector>

#include "host/file_system.h"
#include "paths/path_text.h"

namespace selvane::win32 {
namespace {

// Directories must leave room for an 8.3 name below them, so their limit is MAX_PATH less 12.
constexpr std::size_t kPlainLimit = MAX_PATH - 12;

bool FitsSystemName(const std::wstring& full_path) {
    return host::FitsSystemName(Utf16View(full_path));
}

std::nullopt_t Refuse() {
    ::SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return std::nullopt;
}

// The form in which the file APIs take the path: short paths as they are, long ones full and
// with the extended-length prefix. Nothing when no file can have the name.
std::optional<std::wstring> SystemPath(const std::wstring& path) {
    if (path.size() < kPlainLimit) return path;
    if (path.compare(0, 4, L"\\\\?\\") == 0) {
        if (!FitsSystemName(path)) return Refuse();
        return path;
    }
    std::wstring full = FullPath(path);
    if (full.empty()) return std::nullopt;
    if (!FitsSystemName(full)) return Refuse();
    if (full.size() < kPlainLimit) return full;
    if (paths::KindOf(Utf16View(full)) == paths::PathKind::kNetwork) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

}  // namespace

std::wstring FullPath(const std::wstring& path) {
    // Text longer than any name the system takes is not handed to it, not even to be made full.
    if (path.size() >= host::kLongestSystemName) {
        ::SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return L"";
    }
    const DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return L"";
    std::vector<wchar_t> buffer(needed);
    const DWORD length = ::GetFullPathNameW(path.c_str(), needed, buffer.data(), nullptr);
    if (length == 0 || length >= needed) return L"";
    return std::wstring(buffer.data(), length);
}

QuietDriveErrors::QuietDriveErrors() {
    restore_ = ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous_) != FALSE;
}

QuietDriveErrors::~QuietDriveErrors() {
    if (restore_) ::SetThreadErrorMode(previous_, nullptr);
}

DWORD FileAttributes(const std::wstring& path) {
    const std::optional<std::wstring> system = SystemPath(path);
    if (!system) return INVALID_FILE_ATTRIBUTES;
    QuietDriveErrors quiet;
    return ::GetFileAttributesW(system->c_str());
}

bool FileAttributeData(const std::wstring& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
    const std::optional<std::wstring> system = SystemPath(path);
    if (!system) return false;
    QuietDriveErrors quiet;
    return ::GetFileAttributesExW(system->c_str(), GetFileExInfoStandard, &data) != FALSE;
}

UniqueFind FindFirst(const std::wstring& path, WIN32_FIND_DATAW& data, FINDEX_SEARCH_OPS search, DWORD flags) {
    const std::optional<std::wstring> system = SystemPath(path);
    if (!system) return UniqueFind();
    QuietDriveErrors quiet;
    return UniqueFind(::FindFirstFileExW(system->c_str(), FindExInfoBasic, &data, search, nullptr, flags));
}

UniqueChangeNotification WatchFolderNames(const std::wstring& folder, DWORD filter) {
    const std::optional<std::wstring> system = SystemPath(folder);
    if (!system) return UniqueChangeNotification();
    QuietDriveErrors quiet;
    return UniqueChangeNotification(::FindFirstChangeNotificationW(system->c_str(), FALSE, filter));
}

bool FolderIdentity(const std::wstring& folder, BY_HANDLE_FILE_INFORMATION& identity) {
    const std::optional<std::wstring> system = SystemPath(folder);
    if (!system) return false;
    QuietDriveErrors quiet;
    const UniqueFile opened(::CreateFileW(system->c_str(), FILE_READ_ATTRIBUTES,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return opened && ::GetFileInformationByHandle(opened.get(), &identity) != FALSE;
}

}  // namespace selvane::win32
