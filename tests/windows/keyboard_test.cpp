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

#include "control/com/event_ids.h"
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

    // The container's message loop, until the queue is empty. A container that doesn't give
    // the control its keys first (translate false) dispatches them straight to the focus.
    void Loop(bool translate = true) {
        const ComPtr<IOleInPlaceActiveObject> active = As<IOleInPlaceActiveObject>(control);
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            const bool in_control = message.hwnd == surface || ::IsChild(surface, message.hwnd);
            if (translate && in_control && active->TranslateAccelerator(&message) == S_OK) continue;
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

    // Characters typed into the focus, as the keyboard's WM_CHAR messages.
    void Type(const std::wstring& text) {
        for (wchar_t c : text) ::PostMessageW(::GetFocus(), WM_CHAR, c, 1);
        Loop();
    }
    std::wstring Chosen(HWND list) {
        const LRESULT index = ::SendMessageW(list, LB_GETCURSEL, 0, 0);
        return index == LB_ERR ? L"" : ListItems(list)[static_cast<std::size_t>(index)];
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

// Typed in a quick run, a name's first characters find it; the entry found is chosen as an arrow
// key chooses it (a Click for each file chosen, the folder highlighted, not opened); a pause
// starts a new name; a letter typed again steps through the entries with it.
TEST_F(DialogContainer, TypingANameFindsItInEitherList) {
    auto sink = Make<EventSink>();
    ASSERT_NE(Connect(control, DIID___Selvane, sink.get()), 0u);
    SetPath(fx::kMany);
    ::SetFocus(files_);
    // Each step: what is typed, after a pause or not, and the file chosen then.
    const struct {
        const wchar_t* typed;
        bool pause;
        const wchar_t* chosen;
    } steps[] = {{L"f3299", false, L"f32990.txt"}, {L"8", false, L"f32998.txt"},  // a name typed in a run
                 {L"f", true, L"f32999.txt"},  // after a pause, a new name from the next entry on
                 {L"f", false, L"f00000.txt"}, {L"f", false, L"f00001.txt"},  // the letter again, round
                 {L"x", false, L"f00001.txt"}};  // "fffx" starts no name
    for (const auto& step : steps) {
        if (step.pause) ::Sleep(2 * ::GetDoubleClickTime() + 100);
        Type(step.typed);
        EXPECT_EQ(Chosen(files_), step.chosen) << step.typed;
    }
    EXPECT_EQ(sink->events, std::vector<DISPID>(9, com::kClickEvent)) << "a Click for each file chosen";

    SetPath(fx::kDocs);
    ::SetFocus(dirs_);
    sink->events.clear();
    Type(L"LE");
    EXPECT_EQ(Chosen(dirs_), L"letters");
    EXPECT_EQ(Path(), fx::kDocs) << "highlighted, not opened";
    Press(VK_BACK);
    EXPECT_EQ(Path(), L"D:\\") << "Backspace still goes up";
    EXPECT_TRUE(sink->events.empty());
}

// Explorer's keys, with the focus on a child: F5 lists the folder again, Alt+Up goes up, Ctrl+A
// chooses the whole pattern; also in a container that doesn't give the control its keys first.
// With the focus on the container's own field, the keys are the container's.
TEST_F(DialogContainer, ExplorersKeysWorkInsideTheControlAndNowhereElse) {
    enum Modifier { kNone, kAlt, kCtrl };
    const auto press = [&](HWND focus, UINT key, Modifier modifier, bool translate) {
        ::SetFocus(focus);
        std::optional<KeyHeld> held;
        if (modifier != kNone) held.emplace(static_cast<BYTE>(modifier == kAlt ? VK_MENU : VK_CONTROL));
        const UINT down = modifier == kAlt ? WM_SYSKEYDOWN : WM_KEYDOWN;
        ::PostMessageW(focus, down, key, modifier == kAlt ? 0x20000001 : 1);
        ::PostMessageW(focus, down + 1, key, static_cast<LONG>(modifier == kAlt ? 0xE0000001u : 0xC0000001u));
        Loop(translate);
    };
    const auto choose_file = [&] {
        SetPath(fx::kDocs);
        ::SendMessageW(files_, LB_SETCURSEL, 0, 0);
        ASSERT_NE(Chosen(files_), L"");
    };
    for (const bool translate : {true, false}) {
        SCOPED_TRACE(translate ? "given first to the control" : "straight to the child");
        choose_file();
        press(files_, VK_F5, kNone, translate);
        EXPECT_EQ(Chosen(files_), L"") << "F5: listed again, nothing chosen";
        press(files_, VK_UP, kAlt, translate);
        EXPECT_EQ(Path(), L"D:\\") << "Alt+Up";
        EXPECT_EQ(selvane->put_FileType(Bstr(L"*.txt").get()), S_OK);
        ::SendMessageW(pattern_, EM_SETSEL, 2, 2);
        press(pattern_, 'A', kCtrl, translate);
        DWORD start = 0, end = 0;
        ::SendMessageW(pattern_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(std::make_pair(start, end), std::make_pair(DWORD{0}, DWORD{5})) << "Ctrl+A";
        EXPECT_EQ(TextOf(pattern_), L"*.txt");

        choose_file();
        const std::wstring chosen = Chosen(files_);
        press(before_, VK_F5, kNone, translate);
        press(before_, VK_UP, kAlt, translate);
        EXPECT_EQ(Chosen(files_), chosen) << "F5 in the container's field";
        EXPECT_EQ(Path(), fx::kDocs) << "Alt+Up in the container's field";
    }
}

}  // namespace
}  // namespace selvane::testing
