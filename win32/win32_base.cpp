#include "win32/win32_base.h"

#include <olectl.h>

namespace selvane::win32 {

namespace {

std::int32_t ControlErrorOf(DWORD code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
        return errc::kFileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DIRECTORY:
        return errc::kPathNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
        return errc::kPermissionDenied;
    case ERROR_NOT_READY:
        return errc::kDiskNotReady;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
        return errc::kBadFileName;
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_NETNAME_DELETED:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_UNEXP_NET_ERR:
    case ERROR_NO_NET_OR_BAD_PATH:
    case ERROR_CONNECTION_UNAVAIL:
    case ERROR_NOT_CONNECTED:
    case ERROR_TIMEOUT:  // the drive gave no answer within the deadline (deadline.h)
        return errc::kDeviceUnavailable;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return errc::kFileAlreadyExists;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return errc::kOutOfMemory;
    default:
        return errc::kIllegalFunctionCall;
    }
}

void WriteToDebugger(const std::u16string& line) {
    const std::wstring text = Wide(line) + L"\n";
    ::OutputDebugStringW(text.c_str());
}

}  // namespace

RuntimeError ErrorFromWin32(DWORD code) { return RuntimeError(ControlErrorOf(code)).WithSystemCode(code); }

void ListenToTracesWhenAsked() {
    static const bool asked = [] {
        wchar_t value[8] = {};
        const DWORD length = ::GetEnvironmentVariableW(L"SELVANE_TRACE", value, 8);
        if (length > 0 && length < 8 && std::wstring(value) != L"0") return true;
        DWORD trace = 0;
        DWORD size = sizeof(trace);
        return ::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Selvane", L"Trace", RRF_RT_REG_DWORD, nullptr, &trace,
                              &size) == ERROR_SUCCESS &&
               trace != 0;
    }();
    if (asked) SetTraceListener(&WriteToDebugger);
}

void RaiseWin32(DWORD code) { throw ErrorFromWin32(code); }

extern "C" IMAGE_DOS_HEADER __ImageBase;

HINSTANCE ThisModule() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

COLORREF TranslateColor(std::uint32_t color) {
    COLORREF rgb = 0;
    if (FAILED(::OleTranslateColor(color, nullptr, &rgb))) Raise(errc::kInvalidPropertyValue);
    return rgb;
}

bool HighContrastOn() {
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof(contrast);
    return ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

COLORREF DrawnRgb(ColorRole role, Color set, bool high_contrast) {
    COLORREF rgb = 0;
    if (SUCCEEDED(::OleTranslateColor(DrawnColor(role, set, high_contrast), nullptr, &rgb))) return rgb;
    ::OleTranslateColor(DrawnColor(role, set, true), nullptr, &rgb);
    return rgb;
}

bool RedrawOnColorChange(HWND window, UINT message, WPARAM wparam) {
    if (message != WM_SYSCOLORCHANGE && !(message == WM_SETTINGCHANGE && wparam == SPI_SETHIGHCONTRAST)) return false;
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
    return true;
}

namespace {

// The classes registered by this module, for UnregisterWindowClasses. Controls may be made on
// several threads.
SRWLOCK g_classes_lock = SRWLOCK_INIT;
const wchar_t* g_classes[8] = {};

}  // namespace

void RegisterWindowClass(const wchar_t* name, WNDPROC window_proc, HBRUSH background, int extra_bytes) {
    const SrwLocked locked(g_classes_lock);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (::GetClassInfoExW(ThisModule(), name, &existing)) return;
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof(window_class);
    window_class.lpfnWndProc = window_proc;
    window_class.cbWndExtra = extra_bytes;
    window_class.hInstance = ThisModule();
    window_class.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    window_class.hbrBackground = background;
    window_class.lpszClassName = name;
    if (!::RegisterClassExW(&window_class)) RaiseLastError();
    for (const wchar_t*& kept : g_classes) {
        if (kept == nullptr) {
            kept = name;
            return;
        }
    }
    TraceWarning(__FILE__, __LINE__, u"more window classes than UnregisterWindowClasses keeps: one stays registered");
}

void UnregisterWindowClasses() noexcept {
    const SrwLocked locked(g_classes_lock);
    for (const wchar_t*& name : g_classes) {
        if (name != nullptr && !::UnregisterClassW(name, ThisModule())) {
            TraceWarning(__FILE__, __LINE__, u"UnregisterClassW failed for a window class");
        }
        name = nullptr;
    }
}

int WindowDpi(HWND window) {
    // Windows 10 1607 and later; looked up, so that the library still loads on Windows 7.
    using ForWindow = UINT(WINAPI*)(HWND);
    const auto for_window = reinterpret_cast<ForWindow>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (window != nullptr && for_window != nullptr) {
        if (const UINT dpi = for_window(window)) return static_cast<int>(dpi);
    }
    const WindowDC screen(nullptr);
    return ::GetDeviceCaps(screen.get(), LOGPIXELSY);
}

LOGFONTW MessageFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) return metrics.lfMessageFont;
    LOGFONTW font{};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
    return font;
}

}  // namespace selvane::win32
