#include "tests/windows/control_window.h"

#include <windowsx.h>

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

LPARAM PointIn(HWND list, int index) {
    RECT item{};
    ::SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return MAKELPARAM(item.left + 20, (item.top + item.bottom) / 2);
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
        if (surface().TranslateKeyboard(message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    ::UpdateWindow(frame_);
}

void ControlWindow::ClickItem(HWND list, int index) {
    const LPARAM at = PointIn(list, index);
    ::SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(list, WM_LBUTTONUP, 0, at);
    Pump();
}

void ControlWindow::DoubleClickItem(HWND list, int index) {
    const LPARAM at = PointIn(list, index);
    ::SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(list, WM_LBUTTONUP, 0, at);
    ::SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    ::SendMessageW(list, WM_LBUTTONUP, 0, at);
    Pump();
}

void ControlWindow::PressKey(HWND window, UINT key) {
    ::SetFocus(window);
    ::PostMessageW(window, WM_KEYDOWN, key, 1);
    ::PostMessageW(window, WM_KEYUP, key, 0xC0000001);
    Pump();
}

void ControlWindow::TypeText(HWND edit, const std::wstring& text) {
    ::SetFocus(edit);
    ::SendMessageW(edit, EM_SETSEL, 0, -1);
    for (wchar_t c : text) ::PostMessageW(edit, WM_CHAR, c, 1);
    Pump();
}

void ControlWindow::PressAltKey(HWND focus, wchar_t key) {
    ::SetFocus(focus);
    // Alt held: bit 29 of the key data.
    ::PostMessageW(focus, WM_SYSKEYDOWN, VK_MENU, 0x20000001);
    ::PostMessageW(focus, WM_SYSCHAR, key, 0x20000001);
    ::PostMessageW(focus, WM_SYSKEYUP, VK_MENU, 0xC0000001);
    Pump();
}

std::wstring ControlWindow::TextOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

namespace {

template <UINT kCount, UINT kLength, UINT kText>
std::vector<std::wstring> Items(HWND window) {
    std::vector<std::wstring> items;
    const int count = static_cast<int>(::SendMessageW(window, kCount, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::wstring text(static_cast<std::size_t>(::SendMessageW(window, kLength, i, 0)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(::SendMessageW(window, kText, i, reinterpret_cast<LPARAM>(text.data()))));
        items.push_back(text);
    }
    return items;
}

}  // namespace

std::vector<std::wstring> ControlWindow::ListItems(HWND list) { return Items<LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT>(list); }

std::vector<std::wstring> ControlWindow::ComboItems(HWND combo) {
    return Items<CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT>(combo);
}

RECT ControlWindow::PlaceOf(HWND window) const {
    RECT place{};
    ::GetWindowRect(window, &place);
    ::MapWindowPoints(HWND_DESKTOP, host_->surface.hwnd(), reinterpret_cast<POINT*>(&place), 2);
    return place;
}

int IndexOf(const std::vector<std::wstring>& items, const std::wstring& text) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i] == text) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace selvane::testing
