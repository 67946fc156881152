// Screenshots through scripts/screenshot.sh, run as a Unix program from inside Wine.
#include "demo/screenshot.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "win32/handles.h"

namespace selvane::screenshots {
namespace {

// Wine starts a Unix program from CreateProcessW, but hands back no process handle to wait
// on; the script reports its end by writing a status file, which this helper polls for.
constexpr DWORD kScriptTimeoutMs = 30000;
constexpr DWORD kPollMs = 20;

std::string ToUtf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string result(size > 0 ? static_cast<std::size_t>(size - 1) : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, result.data(), size, nullptr, nullptr);
    return result;
}

std::wstring FromUtf8(const char* text) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring result(size > 0 ? static_cast<std::size_t>(size - 1) : 0, L'\0');
    if (size > 1) MultiByteToWideChar(CP_UTF8, 0, text, -1, result.data(), size);
    return result;
}

std::wstring Quoted(const std::wstring& argument) { return L"\"" + argument + L"\""; }

BOOL CALLBACK PaintPendingUpdate(HWND window, LPARAM) {
    UpdateWindow(window);
    return TRUE;
}

// The status file's content: the script's exit code, or -1 when it didn't finish in time.
int WaitForStatus(const std::wstring& status_file) {
    const DWORD start = GetTickCount();
    while (GetFileAttributesW(status_file.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount() - start > kScriptTimeoutMs) return -1;
        Sleep(kPollMs);
    }
    int code = -1;
    if (const selvane::win32::UniqueStream file{_wfopen(status_file.c_str(), L"r")}) {
        if (std::fscanf(file.get(), "%d", &code) != 1) code = -1;
    }
    DeleteFileW(status_file.c_str());
    return code;
}

}  // namespace

std::wstring WindowsPathOf(const std::wstring& unix_path) {
    using ToDos = WCHAR*(__cdecl*)(const char*);
    const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    const FARPROC proc = kernel32 ? GetProcAddress(kernel32, "wine_get_dos_file_name") : nullptr;
    if (!proc) return {};
    WCHAR* dos = reinterpret_cast<ToDos>(reinterpret_cast<void*>(proc))(ToUtf8(unix_path).c_str());
    if (!dos) return {};
    std::wstring result(dos);
    HeapFree(GetProcessHeap(), 0, dos);
    return result;
}

std::wstring ArtifactsFolder() {
    const DWORD size = GetEnvironmentVariableW(L"SELVANE_ARTIFACTS", nullptr, 0);
    if (size == 0) return {};
    std::vector<wchar_t> value(size);
    if (GetEnvironmentVariableW(L"SELVANE_ARTIFACTS", value.data(), size) != size - 1) return {};
    return value.data();
}

bool SaveScreenshotTo(const std::wstring& unix_path, HWND window) {
    const std::wstring shell = WindowsPathOf(L"/bin/sh");
    const std::wstring image = WindowsPathOf(unix_path);
    const std::wstring unix_status = unix_path + L".status";
    const std::wstring status = WindowsPathOf(unix_status);
    if (shell.empty() || image.empty() || status.empty()) return false;

    // The window's rectangle, as ImageMagick's geometry WxH+X+Y, kept on the screen.
    std::wstring crop;
    if (window) {
        RECT place{};
        const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        if (!GetWindowRect(window, &place) || !IntersectRect(&place, &place, &screen)) return false;
        crop = std::to_wstring(place.right - place.left) + L"x" + std::to_wstring(place.bottom - place.top) + L"+" +
               std::to_wstring(place.left) + L"+" + std::to_wstring(place.top);
    }

    // What a user would see: the windows of this thread with their pending paints done, and
    // on the display. Wine paints into a copy of each window's pixels and puts the copy on the
    // X display only now and then (when a thread waits for messages, or a drawing call comes
    // long after the last put), so without this a screenshot could show a half-done scroll of
    // a list: its lines moved up, and the last one twice, before the new line was drawn. A
    // wait for messages, however short, puts every window of the process on the display.
    EnumThreadWindows(GetCurrentThreadId(), PaintPendingUpdate, 0);
    GdiFlush();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);

    DeleteFileW(image.c_str());
    DeleteFileW(status.c_str());
    std::wstring command = Quoted(L"/bin/sh") + L" " + Quoted(FromUtf8(SELVANE_SCREENSHOT_SCRIPT)) +
                           L" " + Quoted(unix_path) + L" " + Quoted(unix_status);
    if (!crop.empty()) command += L" " + crop;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(shell.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return false;
    }
    const selvane::win32::UniqueKernelHandle thread(process.hThread);
    const selvane::win32::UniqueKernelHandle child(process.hProcess);
    return WaitForStatus(status) == 0 && GetFileAttributesW(image.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool SaveScreenshot(const std::wstring& name) {
    const std::wstring folder = ArtifactsFolder();
    if (folder.empty()) return false;
    return SaveScreenshotTo(folder + L"/" + name + L".png");
}

bool SaveWindowScreenshot(HWND window, const std::wstring& name) {
    const std::wstring folder = ArtifactsFolder();
    if (folder.empty() || !window) return false;
    return SaveScreenshotTo(folder + L"/" + name + L".png", window);
}

}  // namespace selvane::screenshots
