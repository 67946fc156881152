// A user's mouse and keyboard as the window messages they send, and what windows show. Keys
// are posted: the caller's message loop delivers them, through whatever keyboard handling its
// host does first.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace selvane::testing {

// Sent at once: the list's reactions have run when these return.
void SendClickItem(HWND list, int index);
void SendDoubleClickItem(HWND list, int index);

// Posted, with the focus moved to the window first.
void PostKey(HWND window, UINT key);
void PostText(HWND edit, const std::wstring& text);  // replaces the edit's text, a key at a time
void PostAltKey(HWND focus, wchar_t key);

// A key (Shift, Ctrl, Alt) held down, as the keyboard state shows it to the keys posted
// meanwhile, while this lives.
class KeyHeld {
public:
    explicit KeyHeld(BYTE key);
    ~KeyHeld();
    KeyHeld(const KeyHeld&) = delete;
    KeyHeld& operator=(const KeyHeld&) = delete;

private:
    BYTE key_;
};

class ShiftHeld : public KeyHeld {
public:
    ShiftHeld() : KeyHeld(VK_SHIFT) {}
};

std::wstring TextOf(HWND window);
std::wstring ClassOf(HWND window);
std::vector<std::wstring> ListItems(HWND list);
std::vector<std::wstring> ComboItems(HWND combo);

// The index of the list entry with that text, or -1.
int IndexOf(const std::vector<std::wstring>& items, const std::wstring& text);

}  // namespace selvane::testing
