#include "win32/file_access.h"

#include <cstring>
#include <exception>
#include <optional>
#include <utility>
#include <vector>

#include "win32/deadline.h"
#include "paths/path_text.h"

namespace selvane::win32 {
namespace {

// Directories must leave room for an 8.3 name below them, so their limit is MAX_PATH less 12.
constexpr std::size_t kPlainLimit = MAX_PATH - 12;

std::nullopt_t Refuse() {
    ::SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return std::nullopt;
}

// A network path's server stands for all its shares: a server that doesn't answer doesn't
// answer for any of them, and costs one deadline, not one a share.
std::wstring DriveKey(const paths::ParsedPath& full) {
    std::wstring drive = Wide(full.kind == paths::PathKind::kNetwork ? full.Server() : full.Drive());
    if (!drive.empty()) ::CharLowerBuffW(drive.data(), static_cast<DWORD>(drive.size()));
    return drive;
}

// Where a call goes: short paths as they are, long ones full and with the extended-length prefix;
// and the drive the full path is on. Nothing when no file can have the name.
std::optional<CallTarget> TargetOf(const std::wstring& path) {
    if (path.size() >= paths::kLongestSystemName) return Refuse();
    const paths::ParsedPath given = paths::Parse(Utf16View(path));
    paths::ParsedPath full = given;
    if (!given.extended) {
        const std::wstring made_full = FullPath(path);
        if (!made_full.empty()) {
            full = paths::Parse(Utf16View(made_full));
        } else if (path.size() >= kPlainLimit) {
            return std::nullopt;
        }
    }
    CallTarget target{path, DriveKey(full)};
    if (path.size() < kPlainLimit) return target;
    if (!paths::FitsSystemName(full)) return Refuse();
    if (!given.extended) target.path = Wide(full.text.size() < kPlainLimit ? full.text : full.ExtendedForm());
    return target;
}

}  // namespace

std::wstring FullPath(const std::wstring& path) {
    // Text longer than any name the system takes is not handed to it, not even to be made full.
    if (path.size() >= paths::kLongestSystemName) {
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
    explicit AttributesCall(const CallTarget& target) : Errand(L"GetFileAttributesExW", target), path_(target.path) {}

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
    ListingCall(const CallTarget& target, FINDEX_SEARCH_OPS search, std::size_t limit)
        : Errand(L"FindFirstFileExW", target), path_(target.path), search_(search), limit_(limit) {}

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
    WatchCall(const CallTarget& target, DWORD filter)
        : Errand(L"FindFirstChangeNotificationW", target), path_(target.path), filter_(filter) {}

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
    explicit IdentityCall(const CallTarget& target) : Errand(L"GetFileInformationByHandle", target), path_(target.path) {}

    void Run() noexcept override {
        QuietDriveErrors quiet;
        const UniqueFile opened(::CreateFileW(path_.c_str(), FILE_READ_ATTRIBUTES,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        answered_ = opened && (IdOf(opened.get()) || IndexOf(opened.get()));
        if (!answered_) error_ = ::GetLastError();
    }

    BY_HANDLE_FILE_INFORMATION identity{};

private:
    // The file's volume and id alone (FileIdInfo, from Windows 8 on), where the system has them:
    // GetFileInformationByHandle asks the volume for its serial number as well, and under Wine
    // that looks at every drive's root, so that one that doesn't answer holds every check.
    bool IdOf(HANDLE file) {
        struct {
            ULONGLONG volume;
            ULONGLONG id[2];
        } info{};
        constexpr auto kFileIdInfo = static_cast<FILE_INFO_BY_HANDLE_CLASS>(18);
        if (!::GetFileInformationByHandleEx(file, kFileIdInfo, &info, sizeof(info))) return false;
        identity.dwVolumeSerialNumber = static_cast<DWORD>(info.volume ^ (info.volume >> 32));
        identity.nFileIndexLow = static_cast<DWORD>(info.id[0] ^ info.id[1]);
        identity.nFileIndexHigh = static_cast<DWORD>((info.id[0] ^ info.id[1]) >> 32);
        return true;
    }

    // Where the system has no FileIdInfo (Windows 7, Wine 8): the file's index alone, as the
    // file system gives it (FileInternalInformation), the volume left as 0. A folder at the same
    // path is told from another by its index, which is all the watch asks.
    bool IndexOf(HANDLE file) {
        using Query = LONG(WINAPI*)(HANDLE, void*, void*, ULONG, int);
        const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
        const FARPROC found = ntdll ? ::GetProcAddress(ntdll, "NtQueryInformationFile") : nullptr;
        if (found == nullptr) return ::GetFileInformationByHandle(file, &identity) != FALSE;
        Query query;
        static_assert(sizeof(query) == sizeof(found));
        std::memcpy(&query, &found, sizeof(query));
        struct {
            void* status;
            ULONG_PTR information;
        } io{};
        ULONGLONG index = 0;
        constexpr int kFileInternalInformation = 6;
        const LONG status = query(file, &io, &index, sizeof(index), kFileInternalInformation);
        if (status < 0) {
            ::SetLastError(ERROR_NOT_SUPPORTED);
            return false;
        }
        identity.nFileIndexLow = static_cast<DWORD>(index);
        identity.nFileIndexHigh = static_cast<DWORD>(index >> 32);
        return true;
    }

    const std::wstring path_;
};

}  // namespace

DWORD FileAttributes(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    return FileAttributeData(path, data) ? data.dwFileAttributes : INVALID_FILE_ATTRIBUTES;
}

bool FileAttributeData(const std::wstring& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
    std::optional<CallTarget> target = TargetOf(path);
    if (!target) return false;
    return AskInTime<AttributesCall>([&](AttributesCall& call) { data = call.data; }, *target);
}

bool ListEntries(const std::wstring& path, FINDEX_SEARCH_OPS search, std::vector<FoundEntry>& entries,
                 std::size_t limit) {
    std::optional<CallTarget> target = TargetOf(path);
    if (!target) return false;
    return AskInTime<ListingCall>([&](ListingCall& call) { entries = std::move(call.entries); }, *target,
                                  search, limit);
}

UniqueChangeNotification WatchFolderNames(const std::wstring& folder, DWORD filter) {
    UniqueChangeNotification change;
    std::optional<CallTarget> target = TargetOf(folder);
    if (!target) return change;
    AskInTime<WatchCall>([&](WatchCall& call) { change = std::move(call.change); }, *target, filter);
    return change;
}

bool FolderIdentity(const std::wstring& folder, BY_HANDLE_FILE_INFORMATION& identity) {
    std::optional<CallTarget> target = TargetOf(folder);
    if (!target) return false;
    return AskInTime<IdentityCall>([&](IdentityCall& call) { identity = call.identity; }, *target);
}

}  // namespace selvane::win32
