// Stands in for a web browser: appends the command line it was started with, as one line, to
// the file that SELVANE_PAGE_RECORD names, and exits.
#include <windows.h>

#include <string>

#include "win32/handles.h"

int wmain() {
    wchar_t path[MAX_PATH] = {};
    if (::GetEnvironmentVariableW(L"SELVANE_PAGE_RECORD", path, MAX_PATH) == 0) return 2;
    const std::wstring line = std::wstring(::GetCommandLineW()) + L"\n";
    const selvane::win32::UniqueFile file(
        ::CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr));
    if (!file) return 3;
    DWORD written = 0;
    ::WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)), &written, nullptr);
    return 0;
}
