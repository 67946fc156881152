// selvane-window: the control in a window of its own, for a person to try. It prints the
// control's events and property changes to the console.
//
//   selvane-window [--path DIR] [--close-after SECONDS] [--measure]
//
// --measure prints where each part lies on the control, in pixels, and its font's pixel height
// ("Drive1 left top right bottom height", in the design's order), then quits: the layout at the
// screen's scale, for the tests.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>

#include "control/selvane.h"
#include "host/design.h"
#include "win32/win32_host.h"

namespace {

using selvane::win32::Utf16;
using selvane::win32::Wide;

class PrintingSite final : public selvane::host::Site {
public:
    void Attach(selvane::Selvane* control) { control_ = control; }

    void PropertyChanged(const selvane::host::Property& property) override {
        Print(L"property changed: " + Wide(std::u16string(property.name)));
    }
    void RaiseClick() override {
        std::wstring line = L"Click";
        if (control_ != nullptr) line += L"  GetPath = " + Wide(control_->GetPath());
        Print(line);
    }
    void RaiseDblClick() override { Print(L"DblClick"); }
    void ReportLoadError(const std::u16string& key, const selvane::RuntimeError& error) override {
        Print(L"setting skipped: " + Wide(key) + L" (" + std::to_wstring(error.code()) + L")");
    }

private:
    static void Print(const std::wstring& line) {
        std::fwprintf(stdout, L"%ls\n", line.c_str());
        std::fflush(stdout);
    }

    selvane::Selvane* control_ = nullptr;
};

struct Demo {
    PrintingSite site;
    std::unique_ptr<selvane::win32::Win32Host> host;
    std::unique_ptr<selvane::Selvane> control;
};

Demo* g_demo = nullptr;

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_SIZE:
        if (g_demo != nullptr && g_demo->control) {
            ::MoveWindow(g_demo->host->surface.hwnd(), 0, 0, LOWORD(lparam), HIWORD(lparam), TRUE);
            g_demo->control->Resize();
        }
        return 0;
    case WM_TIMER:
        ::DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcW(window, message, wparam, lparam);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring path;
    int close_after = 0;
    bool measure = false;
    for (int i = 1; i < argc; ++i) {
        if (std::wcscmp(argv[i], L"--measure") == 0) measure = true;
        if (i + 1 == argc) break;
        if (std::wcscmp(argv[i], L"--path") == 0) path = argv[++i];
        else if (std::wcscmp(argv[i], L"--close-after") == 0) close_after = _wtoi(argv[++i]);
    }

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);

    WNDCLASSEXW frame_class{};
    frame_class.cbSize = sizeof(frame_class);
    frame_class.lpfnWndProc = FrameProc;
    frame_class.hInstance = ::GetModuleHandleW(nullptr);
    frame_class.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    frame_class.lpszClassName = L"SelvaneWindow";
    ::RegisterClassExW(&frame_class);

    // The window's client area starts at the control's designed size.
    RECT frame{};
    {
        const selvane::win32::WindowDC screen(nullptr);
        frame.right = ::MulDiv(static_cast<int>(selvane::design::kSurfaceWidth), ::GetDeviceCaps(screen.get(), LOGPIXELSX), 1440);
        frame.bottom = ::MulDiv(static_cast<int>(selvane::design::kSurfaceHeight), ::GetDeviceCaps(screen.get(), LOGPIXELSY), 1440);
    }
    ::AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
    HWND window = ::CreateWindowExW(0, L"SelvaneWindow", L"Selvane", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                    CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                                    nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr) return 1;

    Demo demo;
    try {
        demo.host = std::make_unique<selvane::win32::Win32Host>(window);
        demo.control = std::make_unique<selvane::Selvane>(demo.host->Bind(demo.site));
        demo.site.Attach(demo.control.get());
        demo.control->Initialize();
        demo.control->InitProperties();
        if (!path.empty()) demo.control->SetPath(Utf16(path));
        demo.control->Resize();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "selvane-window: %s\n", e.what());
        return 1;
    }
    if (measure) {
        for (const selvane::design::Child& child : selvane::design::kChildren) {
            const HWND part = demo.host->surface.ChildWindowOf(child.name);
            RECT place{};
            ::GetWindowRect(part, &place);
            ::MapWindowPoints(HWND_DESKTOP, demo.host->surface.hwnd(), reinterpret_cast<POINT*>(&place), 2);
            LOGFONTW font{};
            ::GetObjectW(reinterpret_cast<HGDIOBJ>(::SendMessageW(part, WM_GETFONT, 0, 0)), sizeof(font), &font);
            std::printf("%ls %ld %ld %ld %ld %ld\n", Wide(std::u16string(child.name)).c_str(), place.left, place.top,
                        place.right, place.bottom, -font.lfHeight);
        }
        return 0;
    }
    g_demo = &demo;
    ::ShowWindow(window, SW_SHOW);
    if (close_after > 0) ::SetTimer(window, 1, static_cast<UINT>(close_after) * 1000, nullptr);

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (demo.host->surface.TranslateKeyboard(message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    g_demo = nullptr;
    std::printf("selvane-window: closed\n");
    return 0;
}
