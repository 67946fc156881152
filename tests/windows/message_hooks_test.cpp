// Hooks on a system control's messages: their order, answers, and the end of the window; and
// what the kit's redraw owner sends a list through them.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "appearance/layout.h"
#include "tests/windows/com_support.h"
#include "win32/handles.h"
#include "win32/message_hooks.h"
#include "win32/shell_icons.h"
#include "win32/win32_base.h"

namespace selvane::win32 {
namespace {

constexpr UINT kProbe = WM_APP + 7;

TEST(MessageHooks, TheNewestHookSeesFirstAndPassesOnDownToTheWindow) {
    const UniqueWindow edit(::CreateWindowExW(0, L"EDIT", L"typed", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr,
                                              nullptr, nullptr));
    ASSERT_TRUE(edit);
    const auto original = ::GetWindowLongPtrW(edit.get(), GWLP_WNDPROC);
    std::vector<std::string> seen;
    HookMessages(edit.get(), [&](HWND, UINT message, WPARAM, LPARAM, const PassOn& pass_on) {
        if (message == kProbe) seen.push_back("older");
        return pass_on();
    });
    HookMessages(edit.get(), [&](HWND, UINT message, WPARAM wparam, LPARAM, const PassOn& pass_on) {
        if (message != kProbe) return pass_on();
        seen.push_back("newer");
        // Answered here when asked to: the older hook and the window never see it.
        return wparam == 1 ? LRESULT{42} : pass_on() + 1;
    });

    EXPECT_EQ(::SendMessageW(edit.get(), kProbe, 1, 0), 42);
    EXPECT_EQ(seen, std::vector<std::string>{"newer"});
    seen.clear();
    // Passed on: the edit answers 0 to a message it doesn't know, and the newer hook adds one.
    EXPECT_EQ(::SendMessageW(edit.get(), kProbe, 0, 0), 1);
    EXPECT_EQ(seen, (std::vector<std::string>{"newer", "older"}));
    // The edit's own messages still reach it.
    wchar_t text[16] = {};
    ::GetWindowTextW(edit.get(), text, 16);
    EXPECT_STREQ(text, L"typed");
    // The user data stays the program's.
    EXPECT_EQ(::GetWindowLongPtrW(edit.get(), GWLP_USERDATA), 0);
    EXPECT_NE(::GetWindowLongPtrW(edit.get(), GWLP_WNDPROC), original);
}

TEST(MessageHooks, AWindowWhoseUserDataIsTakenIsHookedAndKeepsIt) {
    const UniqueWindow edit(::CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, nullptr,
                                              nullptr));
    ASSERT_TRUE(edit);
    ::SetWindowLongPtrW(edit.get(), GWLP_USERDATA, 1234);
    int seen = 0;
    HookMessages(edit.get(), [&](HWND, UINT message, WPARAM, LPARAM, const PassOn& pass_on) {
        if (message == kProbe) ++seen;
        return pass_on();
    });
    ::SetWindowLongPtrW(edit.get(), GWLP_USERDATA, 5678);
    ::SendMessageW(edit.get(), kProbe, 0, 0);
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(::GetWindowLongPtrW(edit.get(), GWLP_USERDATA), 5678);
}

// A hook's captures live as long as the window: they go when it is destroyed, after the hook
// has seen its last message.
TEST(MessageHooks, TheChainGoesWithTheWindowAfterItsLastMessage) {
    auto alive = std::make_shared<int>(0);
    std::weak_ptr<int> watch = alive;
    bool saw_last = false;
    const std::size_t hooked = HookedWindows();
    HWND edit = ::CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(edit, nullptr);
    HookMessages(edit, [held = std::move(alive), &saw_last](HWND, UINT message, WPARAM, LPARAM, const PassOn& pass_on) {
        if (message == WM_NCDESTROY) saw_last = held != nullptr;
        return pass_on();
    });
    EXPECT_FALSE(watch.expired());
    EXPECT_EQ(HookedWindows(), hooked + 1);
    ::DestroyWindow(edit);
    EXPECT_TRUE(saw_last);
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(HookedWindows(), hooked) << "the table keeps no entry of a window that has gone";
}

// A change that ends early, by an exception, still turns the list's drawing back on and has it
// drawn whole: a list left with redraw off shows nothing of what it holds.
TEST(MessageHooks, RedrawComesBackWhenAChangeEndsEarly) {
    const UniqueWindow list(::CreateWindowExW(0, L"LISTBOX", L"", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr,
                                              nullptr, nullptr, nullptr));
    ASSERT_TRUE(list);
    ::UpdateWindow(list.get());
    std::vector<WPARAM> redraw;
    HookMessages(list.get(), [&](HWND, UINT message, WPARAM wparam, LPARAM, const PassOn& pass_on) {
        if (message == WM_SETREDRAW) redraw.push_back(wparam);
        return pass_on();
    });
    try {
        const RedrawStopped stopped(list.get());
        ::SendMessageW(list.get(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"first"));
        Raise(errc::kPathNotFound);
    } catch (const RuntimeError&) {
    }
    EXPECT_EQ(redraw, (std::vector<WPARAM>{FALSE, TRUE})) << "off, then on again";
    EXPECT_TRUE(::GetUpdateRect(list.get(), nullptr, FALSE)) << "drawn whole once after";
}

// The stock icons the lists draw are the library's to destroy: let go at unload, they are gone,
// so a hundred loads leave no hundred icons behind. Each is loaded at its size for the scale,
// not a small one stretched.
TEST(ShellIcons, TheIconsTheListsDrawHaveTheirScalesSizeAndAreDestroyedWhenLetGo) {
    const auto side = [](HICON icon) {
        ICONINFO info{};
        if (!::GetIconInfo(icon, &info)) return 0L;
        BITMAP bitmap{};
        ::GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
        ::DeleteObject(info.hbmColor);
        ::DeleteObject(info.hbmMask);
        return bitmap.bmWidth;
    };
    for (const int dpi : {96, 120, 144, 192}) {
        EXPECT_EQ(side(DriveIcon(DRIVE_FIXED, dpi)), IconPixels(dpi)) << dpi;
        EXPECT_EQ(side(FolderIcon(true, dpi)), IconPixels(dpi)) << dpi;
    }
    const HICON drive = DriveIcon(DRIVE_FIXED, 96);
    const HICON folder = FolderIcon(false, 96);
    ASSERT_NE(side(drive), 0);
    ASSERT_NE(side(folder), 0);
    ReleaseShellIcons();
    EXPECT_EQ(side(drive), 0);
    EXPECT_EQ(side(folder), 0);
    EXPECT_NE(side(DriveIcon(DRIVE_FIXED, 96)), 0) << "asked again, an icon is loaded anew";
}

}  // namespace
}  // namespace selvane::win32
