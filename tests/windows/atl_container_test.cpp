// selvane.ocx in Wine's ATL container, as a C++ host builds it: a window of the class AtlAxWin
// titled with the ProgID creates the registered control, gives it a site and activates it in
// place; the host reaches the control only through AtlAxGetControl and the type library's
// interfaces. The user's clicks go through the system's input queue, as a mouse's do.
#include <windows.h>
#include <ocidl.h>

#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "control/com/event_ids.h"
#include "tests/windows/com_support.h"
#include "tests/windows/fixture.h"
#include "tests/windows/modal_user.h"
#include "tests/windows/user_input.h"
#include "demo/screenshot.h"

namespace selvane::testing {

using namespace screenshots;
namespace {

namespace fx = fixture;

constexpr wchar_t kProgId[] = L"Selvane_OCX.Selvane";
constexpr wchar_t kFrameClass[] = L"SelvaneAtlTestFrame";
constexpr DISPID kClick = com::kClickEvent;
constexpr DISPID kDblClick = com::kDblClickEvent;
constexpr int kWidth = 480;
constexpr int kHeight = 440;

using GetControlFunction = HRESULT(WINAPI*)(HWND, IUnknown**);

// Wine's atl.dll, loaded once, with the AtlAxWin class registered: AtlAxGetControl, or null.
GetControlFunction LoadAtl() {
    static const GetControlFunction get_control = []() -> GetControlFunction {
        const HMODULE atl = ::LoadLibraryW(L"atl.dll");
        const auto init = atl ? Export<BOOL(WINAPI*)()>(atl, "AtlAxWinInit") : nullptr;
        if (!init || !init()) return nullptr;
        return Export<GetControlFunction>(atl, "AtlAxGetControl");
    }();
    return get_control;
}

void Pump() { PumpThrough(nullptr); }

// Dispatches messages until done() holds or two seconds have passed; input from the queue
// arrives when the system has routed it, not at once.
template <class Done>
bool PumpUntil(Done done) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > 2000) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        Pump();
    }
    return true;
}

// Where a window lies in its parent's client area, as "left,top right,bottom".
std::string PlaceText(HWND window) {
    const RECT place = PlaceInParent(window);
    return std::to_string(place.left) + "," + std::to_string(place.top) + " " + std::to_string(place.right) + "," +
           std::to_string(place.bottom);
}

std::string ClientPlace(HWND window) {
    RECT client{};
    ::GetClientRect(window, &client);
    return "0,0 " + std::to_string(client.right) + "," + std::to_string(client.bottom);
}

int WidthOf(HWND window) {
    RECT place{};
    ::GetWindowRect(window, &place);
    return place.right - place.left;
}

class AtlContainer : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        WNDCLASSEXW frame{};
        frame.cbSize = sizeof(frame);
        frame.lpfnWndProc = ::DefWindowProcW;
        frame.hInstance = ::GetModuleHandleW(nullptr);
        frame.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        frame.lpszClassName = kFrameClass;
        ::RegisterClassExW(&frame);
    }

    void SetUp() override {
        const GetControlFunction get_control = LoadAtl();
        ASSERT_NE(get_control, nullptr) << "atl.dll with AtlAxWinInit and AtlAxGetControl";
        frame_ = ::CreateWindowExW(0, kFrameClass, L"ATL container", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                   800, 720, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(frame_, nullptr);
        container_ = ::CreateWindowExW(0, L"AtlAxWin", kProgId, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 10, 10,
                                       kWidth, kHeight, frame_, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(container_, nullptr);
        ASSERT_EQ(get_control(container_, control_.put()), S_OK) << "is the fixture selvane_registered in place?";
        ASSERT_EQ(control_.As(&selvane_), S_OK);
        ComPtr<IOleWindow> window;
        ASSERT_EQ(control_.As(&window), S_OK);
        ASSERT_EQ(window->GetWindow(&control_window_), S_OK);
        Pump();
    }

    // The container holds the control until its window goes; after that the test's reference
    // must be the last one.
    void TearDown() override {
        selvane_.reset();
        if (frame_) ::DestroyWindow(frame_);
        Pump();
        if (control_) {
            EXPECT_EQ(control_.detach()->Release(), 0u) << "the control outlived its container";
        }
    }

    // The control's children by window class; its file list is the list box that isn't drawn
    // by its owner (the directory list is).
    HWND PatternBox() const { return ChildOf(control_window_, L"Edit"); }
    HWND FileList() const { return ChildOf(control_window_, L"ListBox"); }

    void SetPath(const wchar_t* path) {
        const Bstr value(path);
        ASSERT_EQ(selvane_->put_Path(value.get()), S_OK);
        Pump();
    }
    std::wstring GetPath() {
        Bstr path;
        EXPECT_EQ(selvane_->GetPath(path.put()), S_OK);
        return path.str();
    }

    // The left button pressed and released over the file list's entry, clicks times in a row,
    // through the input queue; returns once the entry is selected and done() holds.
    // Presses the left button `clicks` times at a point of the file list, as the user's mouse does,
    // with the key (VK_SHIFT, VK_CONTROL) held when one is given.
    void ClickList(POINT at, int clicks, WORD key = 0) {
        ::ClientToScreen(FileList(), &at);
        ASSERT_TRUE(::SetCursorPos(at.x, at.y));
        INPUT press[4] = {};
        press[0].type = press[3].type = INPUT_KEYBOARD;
        press[0].ki.wVk = press[3].ki.wVk = key;
        press[3].ki.dwFlags = KEYEVENTF_KEYUP;
        press[1].type = press[2].type = INPUT_MOUSE;
        press[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        press[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        INPUT* const first = key ? press : press + 1;
        const UINT count = key ? 4 : 2;
        for (int i = 0; i < clicks; ++i) ASSERT_EQ(::SendInput(count, first, sizeof(INPUT)), count);
    }

    // The control's connection point for iid, or null.
    ComPtr<IConnectionPoint> ConnectionPoint(REFIID iid) {
        ComPtr<IConnectionPoint> point;
        if (auto points = As<IConnectionPointContainer>(control_)) points->FindConnectionPoint(iid, point.put());
        return point;
    }

    RECT EntryPlace(LRESULT index) {
        RECT item{};
        ::SendMessageW(FileList(), LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
        return item;
    }

    template <class Done>
    void ClickFile(const wchar_t* name, int clicks, Done done) {
        const HWND list = FileList();
        const LRESULT index =
            ::SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name));
        ASSERT_NE(index, LB_ERR) << "no entry " << std::string(name, name + std::wcslen(name));
        const RECT item = EntryPlace(index);
        ClickList({item.left + 10, (item.top + item.bottom) / 2}, clicks);
        EXPECT_TRUE(PumpUntil([&] { return ::SendMessageW(list, LB_GETCURSEL, 0, 0) == index && done(); }))
            << "the click on " << std::string(name, name + std::wcslen(name)) << " didn't arrive";
    }

    // A click on the file with the key held (or none), through the input queue; returns once the
    // sink has heard `events` events in all.
    void ClickFileHolding(const wchar_t* name, WORD key, const EventSink& sink, std::size_t events) {
        const RECT item = EntryPlace(::SendMessageW(FileList(), LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                    reinterpret_cast<LPARAM>(name)));
        ASSERT_NO_FATAL_FAILURE(ClickList({item.left + 10, (item.top + item.bottom) / 2}, 1, key));
        EXPECT_TRUE(PumpUntil([&] { return sink.events.size() >= events; }))
            << "the click on " << std::string(name, name + std::wcslen(name)) << " didn't arrive";
    }

    // SelectedFiles as a script reads it, through IDispatch: an array of variants, each a string.
    std::vector<std::wstring> SelectedFiles() {
        DISPPARAMS none{};
        win32::Variant result;
        EXPECT_EQ(As<IDispatch>(control_)->Invoke(0x68040003, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, result.put(),
                                                  nullptr, nullptr),
                  S_OK);
        std::vector<std::wstring> files;
        EXPECT_EQ(result->vt, VT_ARRAY | VT_VARIANT);
        if (result->vt != (VT_ARRAY | VT_VARIANT)) return files;
        LONG low = -1, high = -2;
        ::SafeArrayGetLBound(result->parray, 1, &low);
        ::SafeArrayGetUBound(result->parray, 1, &high);
        EXPECT_EQ(low, 0);
        for (LONG i = low; i <= high; ++i) {
            win32::Variant file;
            ::SafeArrayGetElement(result->parray, &i, file.get());
            EXPECT_EQ(file->vt, VT_BSTR);
            files.push_back(file->vt == VT_BSTR ? std::wstring(file->bstrVal) : L"?");
        }
        return files;
    }

    void SetMultiSelect(LONG mode) {
        ASSERT_EQ(As<_Selvane2>(control_)->put_MultiSelect(mode), S_OK);
        Pump();
    }

    HWND frame_ = nullptr;
    HWND container_ = nullptr;
    HWND control_window_ = nullptr;
    ComPtr<IUnknown> control_;
    ComPtr<_Selvane> selvane_;
};

TEST_F(AtlContainer, TheControlsWindowIsAVisibleChildAtTheContainersSize) {
    EXPECT_EQ(::GetParent(control_window_), container_);
    EXPECT_TRUE(::IsWindowVisible(control_window_));
    EXPECT_EQ(PlaceText(control_window_), ClientPlace(container_));
    ASSERT_NE(PatternBox(), nullptr);
    ASSERT_NE(FileList(), nullptr);
    EXPECT_TRUE(::IsWindowVisible(FileList()));
}

TEST_F(AtlContainer, MembersWorkThroughTheInterfaceFromAtlAxGetControl) {
    SetPath(fx::kDocs);
    Bstr path;
    ASSERT_EQ(selvane_->get_Path(path.put()), S_OK);
    EXPECT_EQ(path.str(), fx::kDocs);

    const Bstr pattern(L"*.txt");
    ASSERT_EQ(selvane_->put_FileType(pattern.get()), S_OK);
    Bstr read_back;
    ASSERT_EQ(selvane_->get_FileType(read_back.put()), S_OK);
    EXPECT_EQ(read_back.str(), L"*.txt");
    // _under.txt, a.txt, B.txt and Zeta.TXT of the fixture's docs; c.log isn't one.
    EXPECT_EQ(::SendMessageW(FileList(), LB_GETCOUNT, 0, 0), 4);

    VARIANT_BOOL answer = VARIANT_TRUE;
    ASSERT_EQ(selvane_->FileSelected(&answer), S_OK);
    EXPECT_EQ(answer, VARIANT_FALSE);
    EXPECT_EQ(GetPath(), fx::kDocs);
    const Bstr letters(fx::kLetters);
    ASSERT_EQ(selvane_->DirExists(letters.get(), &answer), S_OK);
    EXPECT_EQ(answer, VARIANT_TRUE);
    const Bstr nine(fx::kNineFile);
    ASSERT_EQ(selvane_->FileExists(nine.get(), &answer), S_OK);
    EXPECT_EQ(answer, VARIANT_TRUE);
    const Bstr file(L"D:\\docs\\a.txt");
    Bstr directory;
    ASSERT_EQ(selvane_->PathOnly(file.get(), directory.put()), S_OK);
    EXPECT_EQ(directory.str(), fx::kDocs);
}

TEST_F(AtlContainer, AClickInTheFileListReachesASinkAdvisedOnTheControl) {
    auto sink = Make<EventSink>();
    const ComPtr<IConnectionPoint> point = ConnectionPoint(DIID___Selvane);
    ASSERT_TRUE(point);
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(sink.get(), &cookie), S_OK);

    SetPath(fx::kDocs);
    ClickFile(L"B.txt", 1, [&] { return !sink->events.empty(); });
    EXPECT_EQ(sink->events, std::vector<DISPID>{kClick}) << "Click";
    EXPECT_EQ(GetPath(), L"D:\\docs\\B.txt");
    ClickFile(L"Zeta.TXT", 2, [&] { return sink->events.size() >= 3; });
    EXPECT_EQ(sink->events, (std::vector<DISPID>{kClick, kClick, kDblClick})) << "Click, then DblClick for the second press";
    EXPECT_TRUE(SaveScreenshot(L"atl-container"));

    ASSERT_EQ(point->Unadvise(cookie), S_OK);
    sink->AddRef();
    EXPECT_EQ(sink->Release(), 1u) << "the control let the sink go";
    ClickFile(L"a.txt", 1, [] { return true; });
    EXPECT_EQ(sink->events.size(), 3u) << "no events after Unadvise";
    EXPECT_EQ(GetPath(), L"D:\\docs\\a.txt");
}

TEST_F(AtlContainer, ADoubleClickBelowTheLastFileRaisesNothingAndOneOnAFileRaisesDblClickOnce) {
    auto sink = Make<EventSink>();
    ASSERT_NE(Connect(control_, DIID___Selvane, sink.get()), 0u);
    SetPath(fx::kDocs);
    ClickFile(L"Zeta.TXT", 1, [&] { return !sink->events.empty(); });
    ASSERT_EQ(sink->events, std::vector<DISPID>{kClick});

    const LRESULT count = ::SendMessageW(FileList(), LB_GETCOUNT, 0, 0);
    const RECT last = EntryPlace(count - 1);
    RECT client{};
    ::GetClientRect(FileList(), &client);
    ASSERT_GT(client.bottom, last.bottom + 12) << "the list has room below its last entry";
    ClickList({last.left + 10, last.bottom + 8}, 2);
    EXPECT_EQ(GetPath(), L"D:\\docs\\Zeta.TXT");
    // Input arrives in order: once the next click's event is in, the double click was handled.
    ClickFile(L"B.txt", 1, [&] { return sink->events.size() >= 2; });
    EXPECT_EQ(sink->events, (std::vector<DISPID>{kClick, kClick})) << "a double click on no file raised DblClick";

    ClickFile(L"Zeta.TXT", 2, [&] { return sink->events.size() >= 4; });
    EXPECT_EQ(sink->events, (std::vector<DISPID>{kClick, kClick, kClick, kDblClick})) << "Click, then DblClick once";
}

// The user chooses as each MultiSelect has it, and the host reads every file chosen; GetPath
// names the file with the caret, and only while it is chosen.
TEST_F(AtlContainer, TheUsersClicksChooseAsMultiSelectHasItAndTheHostReadsEveryFile) {
    auto sink = Make<EventSink>();
    ASSERT_NE(Connect(control_, DIID___Selvane, sink.get()), 0u);
    SetPath(fx::kDocs);
    const std::wstring docs = std::wstring(fx::kDocs) + L"\\";
    struct Step {
        LONG mode;
        const wchar_t* file;
        WORD key;
        std::vector<const wchar_t*> chosen;
        const wchar_t* path;  // GetPath after the click
    };
    const Step steps[] = {
        {0, L"a.txt", 0, {L"a.txt"}, L"a.txt"},
        {0, L"B.txt", VK_CONTROL, {L"B.txt"}, L"B.txt"},
        {1, L"c.log", 0, {L"B.txt", L"c.log"}, L"c.log"},  // B.txt stays chosen as the mode changes
        {1, L"B.txt", 0, {L"c.log"}, L""},                  // unchosen: the caret's file isn't chosen
        {2, L"a.txt", 0, {L"a.txt"}, L"a.txt"},
        {2, L"c.log", VK_SHIFT, {L"a.txt", L"B.txt", L"c.log"}, L"c.log"},
        {2, L"Zeta.TXT", VK_CONTROL, {L"a.txt", L"B.txt", L"c.log", L"Zeta.TXT"}, L"Zeta.TXT"},
    };
    LONG mode = 0;
    std::size_t clicks = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(::testing::Message() << "MultiSelect " << step.mode << ", " << std::string(step.file, step.file + std::wcslen(step.file)));
        if (step.mode != mode) SetMultiSelect(mode = step.mode);
        ASSERT_NO_FATAL_FAILURE(ClickFileHolding(step.file, step.key, *sink.get(), ++clicks));
        std::vector<std::wstring> expected;
        for (const wchar_t* file : step.chosen) expected.push_back(docs + file);
        EXPECT_EQ(SelectedFiles(), expected);
        LONG count = -1;
        EXPECT_EQ(As<_Selvane2>(control_)->get_SelectedCount(&count), S_OK);
        EXPECT_EQ(count, static_cast<LONG>(expected.size()));
        EXPECT_EQ(GetPath(), *step.path ? docs + step.path : std::wstring(fx::kDocs));
    }
    EXPECT_EQ(sink->events, std::vector<DISPID>(std::size(steps), kClick)) << "a Click a click, no DblClick";
    // Back to one file: the caret's stays chosen, and the list takes the user's clicks as before.
    SetMultiSelect(0);
    EXPECT_EQ(SelectedFiles(), std::vector<std::wstring>{docs + L"Zeta.TXT"});
    ASSERT_NO_FATAL_FAILURE(ClickFileHolding(L"B.txt", VK_CONTROL, *sink.get(), ++clicks));
    EXPECT_EQ(SelectedFiles(), std::vector<std::wstring>{docs + L"B.txt"});
    EXPECT_EQ(sink->events.size(), clicks) << "the list made again still reaches the host";
}

// SortOrder puts numbers as numbers in both lists from what they hold, without listing the
// disk: a file made just before doesn't show until the watch lists it.
TEST_F(AtlContainer, SortOrderPutsNumbersAsNumbersInBothListsWithoutListingTheDisk) {
    const std::wstring folder = L"D:\\order-" + std::to_wstring(::GetCurrentProcessId());
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    const std::vector<std::wstring> files{L"file1", L"file2", L"file10", L"File3", L"a1b", L"a01b", L"file7"};
    const std::vector<std::wstring> folders{L"v1", L"v2", L"v10", L"V3"};
    const auto make = [&](const std::wstring& name) {
        win32::UniqueFile file(::CreateFileW((folder + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    };
    for (std::size_t i = 0; i < 6; ++i) make(files[i]);
    for (const std::wstring& name : folders) ::CreateDirectoryW((folder + L"\\" + name).c_str(), nullptr);
    SetPath(folder.c_str());
    const HWND folder_list = ChildOf(control_window_, L"ListBox", true);
    const auto subfolders = [&] {
        std::vector<std::wstring> items = ListItems(folder_list);
        return std::vector<std::wstring>(items.end() - std::min<std::ptrdiff_t>(4, static_cast<std::ptrdiff_t>(items.size())), items.end());
    };
    EXPECT_EQ(ListItems(FileList()), (std::vector<std::wstring>{L"a01b", L"a1b", L"file1", L"file10", L"file2", L"File3"}));
    EXPECT_EQ(subfolders(), (std::vector<std::wstring>{L"v1", L"v10", L"v2", L"V3"}));
    ::SendMessageW(FileList(), LB_SETCURSEL, 4, 0);  // file2

    make(L"file7");
    ASSERT_EQ(As<_Selvane2>(control_)->put_SortOrder(1), S_OK);
    EXPECT_EQ(ListItems(FileList()), (std::vector<std::wstring>{L"a01b", L"a1b", L"file1", L"file2", L"File3", L"file10"}));
    EXPECT_EQ(subfolders(), (std::vector<std::wstring>{L"v1", L"v2", L"V3", L"v10"}));
    EXPECT_EQ(GetPath(), folder + L"\\file2") << "the chosen file stays chosen";
    EXPECT_TRUE(PumpUntil([&] { return ListItems(FileList()).size() == 7; })) << "the watch lists file7";
    EXPECT_EQ(ListItems(FileList())[5], L"file7");
    EXPECT_EQ(GetPath(), folder + L"\\file2");

    ASSERT_EQ(As<_Selvane2>(control_)->put_SortOrder(0), S_OK);
    EXPECT_EQ(subfolders(), (std::vector<std::wstring>{L"v1", L"v10", L"v2", L"V3"}));
    SetPath(fx::kDocs);
    for (const std::wstring& name : files) ::DeleteFileW((folder + L"\\" + name).c_str());
    for (const std::wstring& name : folders) ::RemoveDirectoryW((folder + L"\\" + name).c_str());
    EXPECT_TRUE(::RemoveDirectoryW(folder.c_str()));
}

TEST_F(AtlContainer, ASinkThatAnswersOnlyIDispatchHearsClickAndDblClick) {
    auto sink = Make<EventSink>();
    sink->dispatch_only = true;
    const ComPtr<IConnectionPoint> point = ConnectionPoint(DIID___Selvane);
    ASSERT_TRUE(point);
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(sink.get(), &cookie), S_OK);
    SetPath(fx::kDocs);
    ClickFile(L"B.txt", 2, [&] { return sink->events.size() >= 2; });
    EXPECT_EQ(sink->events, (std::vector<DISPID>{kClick, kDblClick}));
    EXPECT_EQ(point->Unadvise(cookie), S_OK);

    // The notifications' point still wants its own interface.
    const ComPtr<IConnectionPoint> notifications = ConnectionPoint(IID_IPropertyNotifySink);
    ASSERT_TRUE(notifications);
    EXPECT_EQ(notifications->Advise(sink.get(), &cookie), CONNECT_E_CANNOTCONNECT);
}

// Wine's container also hands the control the new extent, but converts pixels to HIMETRIC at
// 100 rather than 2540 to the inch (AtlPixelToHiMetric): the control's window must follow the
// rectangles of SetObjectRects, never that extent.
TEST_F(AtlContainer, ResizingTheContainersWindowResizesTheControl) {
    const int list_width = WidthOf(FileList());
    const int width = kWidth * 3 / 2;
    const int height = kHeight * 3 / 2;
    ::MoveWindow(container_, 10, 10, width, height, TRUE);
    Pump();
    EXPECT_EQ(PlaceText(control_window_), "0,0 " + std::to_string(width) + "," + std::to_string(height));
    EXPECT_NEAR(WidthOf(FileList()), list_width * 3 / 2, 2) << "the children keep their proportions";

    ::MoveWindow(container_, 10, 10, kWidth, kHeight, TRUE);
    Pump();
    EXPECT_EQ(PlaceText(control_window_), "0,0 " + std::to_string(kWidth) + "," + std::to_string(kHeight));
    EXPECT_EQ(WidthOf(FileList()), list_width);
}

// A C++ host's message loop gives the active control its keys first (ATL's PreTranslateMessage
// does). Tab from the folders and Shift+Tab from All land in the pattern box with all of its
// text selected, as in a dialog, so that what is typed replaces the pattern; a click still puts
// the caret where it falls.
TEST_F(AtlContainer, TabAndShiftTabIntoThePatternBoxSelectItsTextSoTypingReplacesIt) {
    SetPath(fx::kDocs);
    const ComPtr<IOleInPlaceActiveObject> active = As<IOleInPlaceActiveObject>(control_);
    ASSERT_TRUE(active);
    const HWND pattern = PatternBox();
    const HWND folders = ChildOf(control_window_, L"ListBox", true);
    const HWND all = ChildOf(control_window_, L"Button");
    const auto selection = [&] {
        DWORD start = 0, end = 0;
        ::SendMessageW(pattern, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        return std::to_string(start) + "-" + std::to_string(end);
    };
    struct Way {
        HWND from;
        bool shift;
        const wchar_t* typed;
        const char* name;
    };
    for (const Way& way : {Way{folders, false, L"*.txt", "Tab"}, Way{all, true, L"*.log", "Shift+Tab"}}) {
        ::SendMessageW(pattern, EM_SETSEL, 0, 0);
        {
            std::optional<ShiftHeld> shift;
            if (way.shift) shift.emplace();
            PostKey(way.from, VK_TAB);
            PumpThrough(active.get());
        }
        ASSERT_EQ(::GetFocus(), pattern) << way.name;
        EXPECT_EQ(selection(), "0-" + std::to_string(::GetWindowTextLengthW(pattern))) << way.name << ": all of it";
        for (const wchar_t* key = way.typed; *key != L'\0'; ++key) ::PostMessageW(pattern, WM_CHAR, *key, 1);
        PumpThrough(active.get());
        Bstr pattern_now;
        ASSERT_EQ(selvane_->get_FileType(pattern_now.put()), S_OK);
        EXPECT_EQ(pattern_now.str(), way.typed) << way.name << ": what was typed replaced the pattern";
    }

    ::SetFocus(all);
    const auto at = static_cast<LPARAM>(::SendMessageW(pattern, EM_POSFROMCHAR, 2, 0));
    ::SendMessageW(pattern, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(LOWORD(at) + 1, HIWORD(at) + 2));
    ::SendMessageW(pattern, WM_LBUTTONUP, 0, MAKELPARAM(LOWORD(at) + 1, HIWORD(at) + 2));
    EXPECT_EQ(::GetFocus(), pattern);
    EXPECT_EQ(selection(), "2-2") << "a click places the caret";
}

// Late-bound, by name, as a script on the container's page calls it.
TEST_F(AtlContainer, AboutBoxIsModalOverTheContainersWindowAndGivesItBack) {
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(control_.As(&dispatch), S_OK);
    LPOLESTR name = const_cast<LPOLESTR>(L"AboutBox");
    DISPID id = DISPID_UNKNOWN;
    ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id), S_OK);

    HRESULT result = E_FAIL;
    HWND form = nullptr;
    bool frame_took_input = true;
    bool closed = false;
    WhileModal(
        [&] {
            DISPPARAMS none{};
            result = dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr, nullptr,
                                      nullptr);
        },
        [&](DWORD thread) {
            form = WaitForWindow(thread, L"SelvaneForm", L"Selvane OCX");
            frame_took_input = ::IsWindowEnabled(frame_);
            PressKey(VK_RETURN);
            closed = WaitUntilGone(form);
        });
    EXPECT_EQ(result, S_OK);
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(closed);
    EXPECT_FALSE(frame_took_input) << "the container's window takes no input while the dialog is open";
    EXPECT_TRUE(::IsWindowEnabled(frame_)) << "and takes it again afterwards";
    EXPECT_EQ(GetPath(), L"C:\\") << "the control goes on as before";
}

}  // namespace
}  // namespace selvane::testing
