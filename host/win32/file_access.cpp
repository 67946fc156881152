#include "host/win32/file_access.h"

#include <vector>

namespace selvane::win32 {
namespace {

// Directories must leave room for an 8.3 name below them, so their limit is MAX_PATH less 12.
constexpr std::size_t kPlainLimit = MAX_PATH - 12;

bool IsAbsolute(const std::wstring& path) {
    if (path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/')) return true;
    return path.size() >= 2 && (path[0] == L'\\' || path[0] == L'/') && (path[1] == L'\\' || path[1] == L'/');
}

}  // namespace

std::wstring FullPath(const std::wstring& path) {
    const DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return L"";
    std::vector<wchar_t> buffer(needed);
    const DWORD length = ::GetFullPathNameW(path.c_str(), needed, buffer.data(), nullptr);
    if (length == 0 || length >= needed) return L"";
    return std::wstring(buffer.data(), length);
}

std::wstring ExtendedPath(const std::wstring& path) {
    if (path.size() < kPlainLimit || !IsAbsolute(path) || path.compare(0, 4, L"\\\\?\\") == 0) return path;
    std::wstring full = FullPath(path);
    if (full.empty()) return path;
    if (full.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

QuietDriveErrors::QuietDriveErrors() {
    restore_ = ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous_) != FALSE;
}

QuietDriveErrors::~QuietDriveErrors() {
    if (restore_) ::SetThreadErrorMode(previous_, nullptr);
}

DWORD FileAttributes(const std::wstring& path) {
    QuietDriveErrors quiet;
    return ::GetFileAttributesW(ExtendedPath(path).c_str());
}

}  // namespace selvane::win32
