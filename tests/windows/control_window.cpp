#include "tests/windows/control_window.h"

#include <stdexcept>

namespace selvane::testing {
namespace {

constexpr wchar_t kFrameClass[] = L"SelvaneTestFrame";

void RegisterFrame() {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (::GetClassInfoExW(::GetModuleHandleW(nullptr), kFrameClass, &existing)) return;
    WNDCLASSEXW frame{};
    frame.cbSize = sizeof(frame);
    frame.lpfnWndProc = ::DefWindowProcW;
    frame.hInstance = ::GetModuleHandleW(nullptr);
    frame.lpszClassName = kFrameClass;
    ::RegisterClassExW(&frame);
}

}  // namespace

ControlWindow::ControlWindow(LCID locale) {
    RegisterFrame();
    frame_ = ::CreateWindowExW(0, kFrameClass, L"Selvane test", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 1000,
                               800, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (frame_ == nullptr) throw std::runtime_error("no frame window");
    host_ = std::make_unique<win32::Win32Host>(frame_, u"C:\\", locale);
    control_ = std::make_unique<Selvane>(host_->Bind(site_));
    control_->Initialize();
    control_->InitProperties();
    control_->Resize();
    Pump();
}

ControlWindow::~ControlWindow() {
    control_.reset();
    host_.reset();
    ::DestroyWindow(frame_);
    Pump();
}

void ControlWindow::SizeSurface(int width, int height) {
    ::MoveWindow(surface().hwnd(), 0, 0, width, height, TRUE);
    control_->Resize();
    Pump();
}

void ControlWindow::Pump() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        // Once the host has gone (the window is being torn down), what is left is only dispatched.
        if (host_ && surface().TranslateKeyboard(message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    ::UpdateWindow(frame_);
}

void ControlWindow::ClickItem(HWND list, int index) {
    SendClickItem(list, index);
    Pump();
}

void ControlWindow::DoubleClickItem(HWND list, int index) {
    SendDoubleClickItem(list, index);
    Pump();
}

void ControlWindow::PressKey(HWND window, UINT key) {
    PostKey(window, key);
    Pump();
}

void ControlWindow::TypeText(HWND edit, const std::wstring& text) {
    PostText(edit, text);
    Pump();
}

void ControlWindow::PressAltKey(HWND focus, wchar_t key) {
    PostAltKey(focus, key);
    Pump();
}

RECT ControlWindow::PlaceOf(HWND window) const {
    RECT place{};
    ::GetWindowRect(window, &place);
    ::MapWindowPoints(HWND_DESKTOP, host_->surface.hwnd(), reinterpret_cast<POINT*>(&place), 2);
    return place;
}

}  // namespace selvane::testing
