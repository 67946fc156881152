#include "win32/file_access.h"

#include <exception>
#include <optional>
#include <utility>
#include <vector>

#include "host/file_system.h"
#include "win32/deadline.h"
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

namespace {

class AttributesCall final : public Errand {
public:
    explicit AttributesCall(std::wstring system_path)
        : Errand(L"GetFileAttributesExW", system_path), path_(std::move(system_path)) {}

    void Run() noexcept override {
        QuietDriveErrors quiet;
        answered_ = ::GetFileAttributesExW(path_.c_str(), GetFileExInfoStandard, &data) != FALSE;
        if (!answered_) error_ = ::GetLastError();
    }

    WIN32_FILE_ATTRIBUTE_DATA data{};

private:
    const std::wstring path_;
};

class ListingCall final : public Errand {
public:
    ListingCall(std::wstring system_path, FINDEX_SEARCH_OPS search, std::size_t limit)
        : Errand(L"FindFirstFileExW", system_path), path_(std::move(system_path)), search_(search), limit_(limit) {}

    // Without the large fetch: a folder that answers slowly then gives its names in batches of
    // tens, each well within the deadline, where a large fetch gathers hundreds in silence.
    void Run() noexcept override {
        QuietDriveErrors quiet;  // for the whole listing: a medium may go midway
        WIN32_FIND_DATAW data;
        const UniqueFind find(::FindFirstFileExW(path_.c_str(), FindExInfoBasic, &data, search_, nullptr, 0));
        if (!find) {
            error_ = ::GetLastError();
            return;
        }
        answered_ = true;
        try {
            do {
                Answering();
                entries.push_back({data.cFileName, data.dwFileAttributes});
            } while ((limit_ == 0 || entries.size() < limit_) && ::FindNextFileW(find.get(), &data));
        } catch (const std::exception&) {
            // Out of memory: the names read so far stand, as when a listing breaks off.
        }
    }

    std::vector<FoundEntry> entries;

private:
    const std::wstring path_;
    const FINDEX_SEARCH_OPS search_;
    const std::size_t limit_;
};

class WatchCall final : public Errand {
public:
    WatchCall(std::wstring system_path, DWORD filter)
        : Errand(L"FindFirstChangeNotificationW", system_path), path_(std::move(system_path)), filter_(filter) {}

    void Run() noexcept override {
        QuietDriveErrors quiet;
        change.reset(::FindFirstChangeNotificationW(path_.c_str(), FALSE, filter_));
        answered_ = static_cast<bool>(change);
        if (!answered_) error_ = ::GetLastError();
    }

    // Closed with the errand when nobody takes it: a watch armed after its deadline.
    UniqueChangeNotification change;

private:
    const std::wstring path_;
    const DWORD filter_;
};

// Which folder a path names now (volume and file index), for the watch to tell a folder from
// another of the same name.
class IdentityCall final : public Errand {
public:
    explicit IdentityCall(std::wstring system_path)
        : Errand(L"GetFileInformationByHandle", system_path), path_(std::move(system_path)) {}

    void Run() noexcept override {
        QuietDriveErrors quiet;
        const UniqueFile opened(::CreateFileW(path_.c_str(), FILE_READ_ATTRIBUTES,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        answered_ = opened && ::GetFileInformationByHandle(opened.get(), &identity) != FALSE;
        if (!answered_) error_ = ::GetLastError();
    }

    BY_HANDLE_FILE_INFORMATION identity{};

private:
    const std::wstring path_;
};

}  // namespace

DWORD FileAttributes(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    return FileAttributeData(path, data) ? data.dwFileAttributes : INVALID_FILE_ATTRIBUTES;
}

bool FileAttributeData(const std::wstring& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
    std::optional<std::wstring> system = SystemPath(path);
    if (!system) return false;
    return AskInTime<AttributesCall>([&](AttributesCall& call) { data = call.data; }, std::move(*system));
}

bool ListEntries(const std::wstring& path, FINDEX_SEARCH_OPS search, std::vector<FoundEntry>& entries,
                 std::size_t limit) {
    std::optional<std::wstring> system = SystemPath(path);
    if (!system) return false;
    return AskInTime<ListingCall>([&](ListingCall& call) { entries = std::move(call.entries); }, std::move(*system),
                                  search, limit);
}

UniqueChangeNotification WatchFolderNames(const std::wstring& folder, DWORD filter) {
    UniqueChangeNotification change;
    std::optional<std::wstring> system = SystemPath(folder);
    if (!system) return change;
    AskInTime<WatchCall>([&](WatchCall& call) { change = std::move(call.change); }, std::move(*system), filter);
    return change;
}

bool FolderIdentity(const std::wstring& folder, BY_HANDLE_FILE_INFORMATION& identity) {
    std::optional<std::wstring> system = SystemPath(folder);
    if (!system) return false;
    return AskInTime<IdentityCall>([&](IdentityCall& call) { identity = call.identity; }, std::move(*system));
}

}  // namespace selvane::win32
