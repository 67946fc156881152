#include "win32/win32_shell.h"

#include <objbase.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

#include "win32/win32_base.h"

namespace selvane::win32 {
namespace {

HWND WindowOf(host::WindowHandle handle) { return reinterpret_cast<HWND>(handle); }

std::wstring TemporaryFolder() {
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0) RaiseLastError();
    if (length > MAX_PATH) Raise(errc::kBadFileName);
    return std::wstring(folder, length);
}

// A name nobody has used: a GUID's 32 hex digits.
std::wstring FreshName() {
    GUID guid{};
    if (FAILED(::CoCreateGuid(&guid))) Raise(errc::kOutOfMemory);
    wchar_t name[33] = {};
    std::swprintf(name, 33, L"%08lX%04X%04X%02X%02X%02X%02X%02X%02X%02X%02X", guid.Data1, guid.Data2, guid.Data3,
                  guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                  guid.Data4[6], guid.Data4[7]);
    return name;
}

}  // namespace

std::u16string Win32Shell::CreateTemporaryFile(const std::u16string& type, const std::string& text) {
    const std::wstring path = TemporaryFolder() + L"selvane-" + FreshName() + Wide(type);
    // CREATE_NEW: a file already there under the name is left alone and the call fails.
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY, nullptr));
    if (!file) RaiseLastError();
    DWORD written = 0;
    const BOOL wrote = ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    const DWORD error = ::GetLastError();
    file.reset();
    if (!wrote || written != text.size()) {
        ::DeleteFileW(path.c_str());
        RaiseWin32(wrote ? ERROR_HANDLE_DISK_FULL : error);
    }
    return Utf16(path);
}

void Win32Shell::DeleteTemporaryFile(const std::u16string& path) {
    if (!::DeleteFileW(Wide(path).c_str())) RaiseLastError();
}

std::u16string Win32Shell::FindAssociatedProgram(const std::u16string& file) {
    // The shell writes up to MAX_PATH characters, the closing NUL included; above 32 is found.
    std::wstring result(MAX_PATH, L' ');
    const HINSTANCE found = ::FindExecutableW(Wide(file).c_str(), nullptr, result.data());
    if (reinterpret_cast<INT_PTR>(found) <= 32) return {};
    return Utf16(result.substr(0, result.find(L'\0')));
}

bool Win32Shell::StartProgram(host::WindowHandle owner, const std::u16string& program, const std::u16string& parameters) {
    const HINSTANCE started = ::ShellExecuteW(WindowOf(owner), L"open", Wide(program).c_str(), Wide(parameters).c_str(),
                                              nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(started) > 32;
}

void Win32Shell::ShowWarning(host::WindowHandle owner, const std::u16string& text, const std::u16string& title) {
    if (::MessageBoxW(WindowOf(owner), Wide(text).c_str(), Wide(title).c_str(), MB_ICONEXCLAMATION | MB_OK) == 0) {
        RaiseLastError();
    }
}

}  // namespace selvane::win32
