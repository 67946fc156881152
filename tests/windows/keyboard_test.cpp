// The keyboard in a dialog-style container of our own: a field before the control and one after
// it, and a message loop that gives the control's keys to its TranslateAccelerator first and
// then to the window's dialog manager (IsDialogMessage), as containers do.
#include <windows.h>
#include <ocidl.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/windows/fixture.h"
#include "tests/windows/hosted_control.h"
#include "tests/windows/user_input.h"

namespace selvane::testing {
namespace {

namespace fx = fixture;

class DialogContainer : public HostedControl {
protected:
    void SetUp() override {
        HostedControl::SetUp();
        if (HasFatalFailure()) return;
        before_ = Field(L"before", 500);
        Activate(OLEIVERB_INPLACEACTIVATE);
        after_ = Field(L"after", 530);
        // The control's window joined the frame at the top: put it between the two fields.
        ::SetWindowPos(before_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        ::SetWindowPos(after_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        SetPath(fx::kDocs);
        for (const wchar_t* name : {L"ComboBox", L"Edit", L"Button"}) {
            children_.push_back(ChildOf(surface, name));
        }
        drive_ = children_[0];
        pattern_ = children_[1];
        all_ = children_[2];
        dirs_ = ChildOf(surface, L"ListBox", true);
        files_ = ChildOf(surface, L"ListBox", false);
    }

    HWND Field(const wchar_t* text, int top) {
        return ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", text, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, top, 200,
                                 24, frame, nullptr, nullptr, nullptr);
    }

    // The container's message loop, until the queue is empty.
    void Loop() {
        const ComPtr<IOleInPlaceActiveObject> active = As<IOleInPlaceActiveObject>(control);
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            const bool in_control = message.hwnd == surface || ::IsChild(surface, message.hwnd);
            if (in_control && active->TranslateAccelerator(&message) == S_OK) continue;
            if (::IsDialogMessageW(frame, &message)) continue;
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }

    void Press(UINT key, bool shift = false) {
        std::optional<ShiftHeld> held;
        if (shift) held.emplace();
        PostKey(::GetFocus(), key);
        Loop();
    }

    std::wstring Path() {
        Bstr path;
        selvane->get_Path(path.put());
        return path.str();
    }

    HWND before_ = nullptr, after_ = nullptr;
    HWND drive_ = nullptr, dirs_ = nullptr, pattern_ = nullptr, all_ = nullptr, files_ = nullptr;
    std::vector<HWND> children_;
};

TEST_F(DialogContainer, TabEntersCrossesAndLeavesTheControlBothWays) {
    ::SetFocus(before_);
    const std::vector<HWND> forwards = {drive_, dirs_, pattern_, all_, files_, after_};
    for (HWND next : forwards) {
        Press(VK_TAB);
        EXPECT_EQ(::GetFocus(), next) << "Tab #" << (&next - forwards.data()) + 1;
    }
    const std::vector<HWND> backwards = {files_, all_, pattern_, dirs_, drive_, before_};
    for (HWND previous : backwards) {
        Press(VK_TAB, true);
        EXPECT_EQ(::GetFocus(), previous) << "Shift+Tab #" << (&previous - backwards.data()) + 1;
    }
}

TEST_F(DialogContainer, FocusOnTheControlsWindowGoesToAnEndChildAndActivatesTheControl) {
    site->calls.clear();
    ::SetFocus(surface);
    Loop();
    EXPECT_EQ(::GetFocus(), drive_);
    EXPECT_NE(std::find(site->calls.begin(), site->calls.end(), "OnUIActivate"), site->calls.end());

    ::SetFocus(before_);
    {
        const ShiftHeld shift;
        ::SetFocus(surface);
    }
    EXPECT_EQ(::GetFocus(), files_) << "coming back with Shift+Tab";
}

TEST_F(DialogContainer, EnterOpensAFolderBackspaceGoesUpAndAltAPressesAll) {
    ::SetFocus(dirs_);
    const LRESULT letters = ::SendMessageW(dirs_, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                           reinterpret_cast<LPARAM>(L"letters"));
    ASSERT_NE(letters, LB_ERR);
    ::SendMessageW(dirs_, LB_SETCURSEL, static_cast<WPARAM>(letters), 0);
    ::SendMessageW(dirs_, LB_SETCARETINDEX, static_cast<WPARAM>(letters), FALSE);
    Press(VK_RETURN);
    EXPECT_EQ(Path(), fx::kLetters) << "Enter, past the dialog manager";
    EXPECT_EQ(::GetFocus(), dirs_);
    Press(VK_BACK);
    EXPECT_EQ(Path(), fx::kDocs);
    Press(VK_BACK);
    EXPECT_EQ(Path(), L"D:\\");
    Press(VK_BACK);
    EXPECT_EQ(Path(), L"D:\\") << "a root has no parent";

    EXPECT_EQ(selvane->put_FileType(Bstr(L"*.txt").get()), S_OK);
    ::SetFocus(files_);
    PostAltKey(files_, L'a');
    Loop();
    Bstr pattern;
    selvane->get_FileType(pattern.put());
    EXPECT_EQ(pattern.str(), L"*.*");
}

}  // namespace
}  // namespace selvane::testing
