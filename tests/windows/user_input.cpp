#include "tests/windows/user_input.h"

namespace selvane::testing {
namespace {

// A key's release: bits 30 and 31 (down before, going up) and a repeat count of 1.
const LPARAM kKeyUpData = static_cast<LPARAM>(0xC0000001);

LPARAM PointIn(HWND list, int index) {
    RECT item{};
    ::SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return MAKELPARAM(item.left + 20, (item.top + item.bottom) / 2);
}

template <UINT kCount, UINT kLength, UINT kText>
std::vector<std::wstring> Items(HWND window) {
    std::vector<std::wstring> items;
    const int count = static_cast<int>(::SendMessageW(window, kCount, 0, 0));
    for (int i = 0; i < count; ++i) {
        const auto item = static_cast<WPARAM>(i);
        std::wstring text(static_cast<std::size_t>(::SendMessageW(window, kLength, item, 0)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(::SendMessageW(window, kText, item, reinterpret_cast<LPARAM>(text.data()))));
        items.push_back(text);
    }
    return items;
}

}  // namespace

void SendClickItem(HWND list, int index) {
    const LPARAM at = PointIn(list, index);
    ::SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(list, WM_LBUTTONUP, 0, at);
}

void SendDoubleClickItem(HWND list, int index) {
    const LPARAM at = PointIn(list, index);
    ::SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(list, WM_LBUTTONUP, 0, at);
    ::SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    ::SendMessageW(list, WM_LBUTTONUP, 0, at);
}

void PostKey(HWND window, UINT key) {
    ::SetFocus(window);
    ::PostMessageW(window, WM_KEYDOWN, key, 1);
    ::PostMessageW(window, WM_KEYUP, key, kKeyUpData);
}

void PostText(HWND edit, const std::wstring& text) {
    ::SetFocus(edit);
    ::SendMessageW(edit, EM_SETSEL, 0, -1);
    for (wchar_t c : text) ::PostMessageW(edit, WM_CHAR, c, 1);
}

void PostAltKey(HWND focus, wchar_t key) {
    ::SetFocus(focus);
    // Alt held: bit 29 of the key data.
    ::PostMessageW(focus, WM_SYSKEYDOWN, VK_MENU, 0x20000001);
    ::PostMessageW(focus, WM_SYSCHAR, key, 0x20000001);
    ::PostMessageW(focus, WM_SYSKEYUP, VK_MENU, kKeyUpData);
}

std::wstring TextOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

std::vector<std::wstring> ListItems(HWND list) { return Items<LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT>(list); }

std::vector<std::wstring> ComboItems(HWND combo) { return Items<CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT>(combo); }

int IndexOf(const std::vector<std::wstring>& items, const std::wstring& text) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i] == text) return static_cast<int>(i);
    }
    return -1;
}

namespace {
void SetKey(BYTE key, BYTE state) {
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[key] = state;
    ::SetKeyboardState(keys);
}
}  // namespace

KeyHeld::KeyHeld(BYTE key) : key_(key) { SetKey(key_, 0x80); }
KeyHeld::~KeyHeld() { SetKey(key_, 0); }

}  // namespace selvane::testing
