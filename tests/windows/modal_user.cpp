#include "tests/windows/modal_user.h"

#include <atomic>
#include <thread>

#include "tests/windows/user_input.h"

namespace selvane::testing {
namespace {

constexpr DWORD kPatience = 5000;

struct Search {
    const wchar_t* window_class;
    const wchar_t* title;
    HWND other_than;
    HWND found;
};

BOOL CALLBACK Match(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    if (window == search->other_than || !::IsWindowVisible(window) || ClassOf(window) != search->window_class) {
        return TRUE;
    }
    if (search->title) {
        wchar_t title[256] = {};
        ::GetWindowTextW(window, title, 256);
        if (std::wstring(title) != search->title) return TRUE;
    }
    search->found = window;
    return FALSE;
}

BOOL CALLBACK CloseModal(HWND window, LPARAM) {
    if (!::IsWindowVisible(window) || !::IsWindowEnabled(window)) return TRUE;
    const std::wstring window_class = ClassOf(window);
    if (window_class == L"#32770") ::PostMessageW(window, WM_COMMAND, IDOK, 0);
    if (window_class == L"SelvaneForm") ::PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

BOOL CALLBACK Collect(HWND window, LPARAM data) {
    auto* children = reinterpret_cast<std::vector<HWND>*>(data);
    if (::GetParent(window) == children->front()) children->push_back(window);
    return TRUE;
}

void Send(INPUT* inputs, UINT count) { ::SendInput(count, inputs, sizeof(INPUT)); }

}  // namespace

bool WhileModal(const std::function<void()>& modal, const std::function<void(DWORD modal_thread)>& user) {
    const DWORD modal_thread = ::GetCurrentThreadId();
    std::atomic<bool> modal_done{false};
    bool cleaned_up = false;
    std::thread helper([&] {
        user(modal_thread);
        // The user's last action takes a moment to end the modal loop.
        const DWORD start = ::GetTickCount();
        while (!modal_done && ::GetTickCount() - start < 2000) ::Sleep(20);
        while (!modal_done) {
            cleaned_up = true;
            ::EnumThreadWindows(modal_thread, &CloseModal, 0);
            ::Sleep(100);
        }
    });
    modal();
    modal_done = true;
    helper.join();
    return !cleaned_up;
}

HWND WaitForWindow(DWORD thread, const wchar_t* window_class, const wchar_t* title, HWND other_than,
                   DWORD patience) {
    const DWORD start = ::GetTickCount();
    do {
        Search search{window_class, title, other_than, nullptr};
        ::EnumThreadWindows(thread, &Match, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        ::Sleep(20);
    } while (::GetTickCount() - start < patience);
    return nullptr;
}

bool WaitUntilGone(HWND window) {
    const DWORD start = ::GetTickCount();
    while (::IsWindow(window)) {
        if (::GetTickCount() - start > kPatience) return false;
        ::Sleep(20);
    }
    return true;
}

std::vector<HWND> ChildrenOf(HWND window) {
    std::vector<HWND> children{window};
    ::EnumChildWindows(window, &Collect, reinterpret_cast<LPARAM>(&children));
    children.erase(children.begin());
    return children;
}

RECT PlaceInParent(HWND window) {
    RECT place{};
    ::GetWindowRect(window, &place);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(window), reinterpret_cast<POINT*>(&place), 2);
    return place;
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

void PressKey(WORD key) {
    INPUT press[2] = {};
    press[0].type = press[1].type = INPUT_KEYBOARD;
    press[0].ki.wVk = press[1].ki.wVk = key;
    press[1].ki.dwFlags = KEYEVENTF_KEYUP;
    Send(press, 2);
}

void ClickCentre(HWND window) {
    RECT place{};
    ::GetWindowRect(window, &place);
    ::SetCursorPos((place.left + place.right) / 2, (place.top + place.bottom) / 2);
    INPUT press[2] = {};
    press[0].type = press[1].type = INPUT_MOUSE;
    press[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    press[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    Send(press, 2);
}

}  // namespace selvane::testing
