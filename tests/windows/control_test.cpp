// The control in real windows, driven by the messages a user's mouse and keyboard send.
#include <windows.h>
#include <oleacc.h>
#include <shlobj.h>

#include <algorithm>
#include <cwchar>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/controls.h"
#include "host/design.h"
#include "win32/drag_drop.h"
#include "win32/handles.h"
#include "tests/windows/com_support.h"
#include "tests/windows/control_window.h"
#include "tests/windows/fixture.h"
#include "demo/screenshot.h"
#include "tests/windows/user_input.h"

namespace selvane {

using namespace screenshots;
namespace {

namespace fx = testing::fixture;
using testing::ControlWindow;
using testing::IndexOf;
using testing::ComboItems;
using testing::ListItems;
using testing::ShiftHeld;
using testing::TextOf;
using win32::Utf16;
using win32::Wide;

std::u16string U(const wchar_t* text) { return Utf16(text); }

class ControlOnScreen : public ::testing::Test {
protected:
    HWND Drive1() const { return window.child(u"Drive1"); }
    HWND Dir1() const { return window.child(u"Dir1"); }
    HWND Text1() const { return window.child(u"Text1"); }
    HWND Command1() const { return window.child(u"Command1"); }
    HWND List1() const { return window.child(u"List1"); }
    HWND Label1() const { return window.child(u"Label1"); }
    HWND Label2() const { return window.child(u"Label2"); }

    std::vector<std::wstring> Files() const { return ListItems(List1()); }
    void ClickFile(const std::wstring& name) {
        const int index = IndexOf(Files(), name);
        ASSERT_GE(index, 0) << "no entry " << std::string(name.begin(), name.end());
        window.ClickItem(List1(), index);
    }

    ControlWindow window;
};

TEST_F(ControlOnScreen, ChoosingADriveWithTheKeyboardListsItsRoot) {
    const auto drives = ComboItems(Drive1());
    const int c = IndexOf(drives, L"c:");
    const int d = IndexOf(drives, L"d: [" + std::wstring(fx::kDataLabel) + L"]");
    ASSERT_GE(c, 0);
    ASSERT_EQ(d, c + 1) << "the test moves one entry down from c:";
    EXPECT_GE(IndexOf(drives, L"n: [" + std::wstring(fx::kNetworkRemote) + L"]"), 0);

    try {
        window.surface().Drive1().SetDrive(u"q:");
        ADD_FAILURE() << "a letter without a drive was selected";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.code(), errc::kDeviceUnavailable);
    }
    EXPECT_EQ(window.surface().Drive1().Drive(), u"c:");

    window.PressKey(Drive1(), VK_DOWN);
    EXPECT_EQ(window.control().Path(), u"D:\\");
    const auto files = Files();
    EXPECT_GE(IndexOf(files, L"zero.txt"), 0);
    EXPECT_GE(IndexOf(files, L"huge.bin"), 0);
    EXPECT_EQ(TextOf(Label1()), std::to_wstring(files.size()) + L" files");
    EXPECT_EQ(ListItems(Dir1()).front(), L"D:\\");
}

TEST_F(ControlOnScreen, OpeningDirectoriesByDoubleClickAndEnter) {
    window.control().SetPath(U(fx::kDocs));
    auto dirs = ListItems(Dir1());
    // The root and docs as open folders, then the visible subfolders, sorted without case.
    EXPECT_EQ(dirs, (std::vector<std::wstring>{L"D:\\", L"docs", L"alpha", L"Beta", L"Gamma", L"letters"}));
    EXPECT_EQ(TextOf(Label1()), L"5 files");

    window.DoubleClickItem(Dir1(), IndexOf(dirs, L"letters"));
    EXPECT_EQ(window.control().Path(), U(fx::kLetters));
    EXPECT_EQ(TextOf(Label1()), L"");

    dirs = ListItems(Dir1());
    window.ClickItem(Dir1(), IndexOf(dirs, L"old"));
    EXPECT_EQ(window.control().Path(), U(fx::kLetters)) << "a single click only moves the selection";
    window.PressKey(Dir1(), VK_RETURN);
    EXPECT_EQ(window.control().Path(), U(fx::kLettersOld));

    // Back up to the root through its open folder.
    window.DoubleClickItem(Dir1(), 0);
    EXPECT_EQ(window.control().Path(), u"D:\\");
}

TEST_F(ControlOnScreen, TypingAPatternListsAgainAtEveryKeystroke) {
    window.control().SetPath(U(fx::kDocs));
    window.TypeText(Text1(), L"*.t");
    EXPECT_TRUE(Files().empty());
    EXPECT_EQ(TextOf(Label1()), L"");
    EXPECT_EQ(window.surface().tips().Text(List1()), u"");

    window.TypeText(Text1(), L"*.txt");
    // Sorted as the list's sorted flag sorts: without regard to case.
    EXPECT_EQ(Files(), (std::vector<std::wstring>{L"_under.txt", L"a.txt", L"B.txt", L"Zeta.TXT"}));
    EXPECT_EQ(TextOf(Label1()), L"4 files");
    EXPECT_EQ(window.surface().tips().Text(List1()), std::u16string(design::kFileTip));

    window.PressAltKey(List1(), L'a');
    EXPECT_EQ(TextOf(Text1()), L"*.*");
    EXPECT_EQ(TextOf(Label1()), L"5 files");
}

// Whether anything of the window waits to be painted again.
bool WaitsForPaint(HWND window) { return ::GetUpdateRect(window, nullptr, FALSE) != FALSE; }

// A listing that finds what the list shows already (a refresh of a folder where nothing
// matching changed, a letter typed that matches the same files) doesn't draw the list again,
// but leaves it as a new listing would: nothing selected, no details, the first entry on top.
TEST_F(ControlOnScreen, AListingOfWhatTheListShowsLeavesTheListOnScreenAsItIs) {
    window.control().SetPath(U(fx::kMany));
    window.control().SetFileType(u"f000*.txt");
    const auto files = Files();
    ASSERT_EQ(files.size(), 100u);
    window.Pump();
    ::UpdateWindow(List1());
    ASSERT_FALSE(WaitsForPaint(List1()));

    window.control().RefreshFiles();
    EXPECT_FALSE(WaitsForPaint(List1())) << "the same files: nothing drawn again";
    window.TypeText(Text1(), L"f000*.txt*");
    EXPECT_FALSE(WaitsForPaint(List1())) << "a letter matching the same files";
    EXPECT_EQ(Files(), files);
    EXPECT_EQ(TextOf(Label1()), L"100 files");

    ::SendMessageW(List1(), LB_SETTOPINDEX, 50, 0);
    ClickFile(files[60]);
    ASSERT_NE(TextOf(Label2()), L"");
    window.control().RefreshFiles();
    EXPECT_EQ(::SendMessageW(List1(), LB_GETCURSEL, 0, 0), LB_ERR);
    EXPECT_EQ(::SendMessageW(List1(), LB_GETTOPINDEX, 0, 0), 0);
    EXPECT_EQ(TextOf(Label2()), L"");
    EXPECT_EQ(Files(), files);

    // An entry put in by anyone else goes at the next listing, which fills the list again.
    window.Pump();
    ::SendMessageW(List1(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"f0000.txt.stray"));
    window.control().RefreshFiles();
    EXPECT_EQ(Files(), files);
    EXPECT_TRUE(WaitsForPaint(List1()));

    // Other files: the list is filled and drawn again.
    window.Pump();
    window.control().SetFileType(u"f001*.txt");
    EXPECT_TRUE(WaitsForPaint(List1()));
    EXPECT_EQ(Files().front(), L"f00100.txt");
}

// Several patterns in one text, separated by ";", as the system's file dialogs take them.
TEST_F(ControlOnScreen, SeveralPatternsListEachMatchingFileOnceInTheListsOrder) {
    window.control().SetPath(U(fx::kDocs));
    window.TypeText(Text1(), L"*.log;z*");
    EXPECT_EQ(Files(), (std::vector<std::wstring>{L"c.log", L"Zeta.TXT"}));
    EXPECT_EQ(TextOf(Label1()), L"2 files");
    EXPECT_EQ(window.surface().tips().Text(List1()), std::u16string(design::kFileTip));

    // a.txt matches all three, B.txt two.
    window.TypeText(Text1(), L"a*;*.txt;?.TXT");
    EXPECT_EQ(Files(), (std::vector<std::wstring>{L"_under.txt", L"a.txt", L"B.txt", L"Zeta.TXT"}));
    EXPECT_EQ(TextOf(Label1()), L"4 files");

    window.control().SetShowHidden(kTrue);
    window.TypeText(Text1(), L"s*;*.log;se*");
    EXPECT_EQ(Files(), (std::vector<std::wstring>{L"c.log", L"secret.txt"})) << "hidden once, system never";
}

TEST_F(ControlOnScreen, BlanksAroundPatternsAndEmptyPatternsAreIgnored) {
    window.control().SetPath(U(fx::kDocs));
    window.TypeText(Text1(), L" c.* ; ; z* ;");
    EXPECT_EQ(Files(), (std::vector<std::wstring>{L"c.log", L"Zeta.TXT"}));
    EXPECT_EQ(TextOf(Label1()), L"2 files");
    EXPECT_EQ(window.control().FileType(), u" c.* ; ; z* ;") << "kept as typed";
    window.control().SetFileType(u"\tc.*\t;");
    EXPECT_EQ(Files(), (std::vector<std::wstring>{L"c.log"}));
    EXPECT_EQ(TextOf(Label1()), L"1 file");

    // Nothing but blanks and separators lists what the empty pattern lists: every file.
    window.control().SetFileType(u"");
    const auto every = Files();
    ASSERT_EQ(every.size(), 5u);
    window.TypeText(Text1(), L" ; ;");
    EXPECT_EQ(Files(), every);
    EXPECT_EQ(TextOf(Label1()), L"5 files");
}

// The whole text is refused, not only the pattern that reaches out: a listing of the others would
// pass for the answer to what was typed. Each text would list c.log, and D:\'s own .txt files
// through the other pattern, if its patterns went to the system one by one.
TEST_F(ControlOnScreen, APatternReachingOutsideTheFolderEmptiesTheWholeListing) {
    window.control().SetPath(U(fx::kDocs));
    for (const wchar_t* text : {L"*.log;..\\*.txt", L"*.log; ../*.txt", L"*.log;D:*.txt"}) {
        SCOPED_TRACE(std::string(text, text + std::wcslen(text)));
        window.TypeText(Text1(), L"*.log;z*");
        ASSERT_EQ(Files(), (std::vector<std::wstring>{L"c.log", L"Zeta.TXT"}));
        window.TypeText(Text1(), text);
        EXPECT_EQ(Files(), std::vector<std::wstring>{});
        EXPECT_EQ(TextOf(Label1()), L"");
        EXPECT_EQ(window.surface().tips().Text(List1()), u"");
        EXPECT_EQ(window.control().FileType(), Utf16(text));
    }
}

// The fixture folder is a Unix folder, which Wine shows as it is: two files whose names differ
// in case only. Several patterns that match both list both, each once.
TEST_F(ControlOnScreen, FilesWhoseNamesDifferInCaseOnlyStayTwoUnderSeveralPatterns) {
    window.control().SetPath(U(fx::kCases));
    auto sorted = [&] {
        auto files = Files();
        std::sort(files.begin(), files.end());
        return files;
    };
    ASSERT_EQ(sorted(), (std::vector<std::wstring>{L"Same.txt", L"same.txt"}));
    window.TypeText(Text1(), L"s*;*.txt;SAME.TXT");
    EXPECT_EQ(sorted(), (std::vector<std::wstring>{L"Same.txt", L"same.txt"}));
    EXPECT_EQ(TextOf(Label1()), L"2 files");
}

TEST_F(ControlOnScreen, APatternLongerThanTheBoxShowsIsKeptWholeAndTypingWaitsForAShorterOne) {
    auto read_only = [&] { return (::GetWindowLongW(Text1(), GWL_STYLE) & ES_READONLY) != 0; };
    window.control().SetPath(U(fx::kDocs));
    // Stars match any run of characters, so only the end of these patterns decides.
    const std::u16string txt = std::u16string(3000, u'*') + u".txt";
    window.control().SetFileType(txt);
    EXPECT_EQ(window.control().FileType(), txt);
    EXPECT_EQ(TextOf(Text1()), std::wstring(host::kLongestShownText, L'*'));
    EXPECT_EQ(Files().size(), 4u);
    EXPECT_TRUE(read_only());

    // The edit's text stays the same; the pattern and the listing still change.
    const std::u16string log = std::u16string(3000, u'*') + u".log";
    window.control().SetFileType(log);
    EXPECT_EQ(window.control().FileType(), log);
    EXPECT_EQ(Files(), (std::vector<std::wstring>{L"c.log"}));

    window.TypeText(Text1(), L"x");
    EXPECT_EQ(window.control().FileType(), log) << "a key typed into the part shown cut the pattern";

    window.PressAltKey(List1(), L'a');
    EXPECT_EQ(window.control().FileType(), u"*.*");
    EXPECT_FALSE(read_only());
    window.control().SetFileType(std::u16string(host::kLongestShownText, u'*'));
    EXPECT_FALSE(read_only()) << "the longest text the box shows whole";
    window.TypeText(Text1(), L"x");
    EXPECT_NE(window.control().FileType().find(u'x'), std::u16string::npos) << "the key went nowhere";

    // Text that took Wine's edit control tens of seconds to take in.
    const std::u16string dollars(70000, u'$');
    window.control().SetFileType(dollars);
    EXPECT_EQ(window.control().FileType(), dollars);
    EXPECT_TRUE(Files().empty());

    // An edit control's text ends at a NUL.
    window.control().SetFileType(std::u16string(u"*.txt\0", 6) + std::u16string(2000, u'x'));
    EXPECT_EQ(window.control().FileType(), u"*.txt");
    EXPECT_EQ(Files().size(), 4u);
}

TEST_F(ControlOnScreen, ARelativePathWithADotIsLookedUpUnderTheShownFolder) {
    // Made for this test alone, so that no other test's listing of D:\\docs sees it.
    const std::wstring dotted = std::wstring(fx::kDocs) + L"\\drafts.d";
    ASSERT_TRUE(::CreateDirectoryW(dotted.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW((dotted + L"\\sub").c_str(), nullptr));
    struct Remove {
        std::wstring dotted;
        ~Remove() {
            ::RemoveDirectoryW((dotted + L"\\sub").c_str());
            ::RemoveDirectoryW(dotted.c_str());
        }
    } remove{dotted};

    // "d" is also the drive's letter, which the path is taken for first: the drive stays.
    window.control().SetPath(U(fx::kDocs));
    window.control().SetPath(u"drafts.d\\sub");
    EXPECT_EQ(window.control().Path(), U(dotted.c_str()) + u"\\sub");
    window.control().SetPath(U(fx::kDocs));
    window.control().SetPath(u"drafts.d\\sub\\notes.txt");
    EXPECT_EQ(window.control().Path(), U(dotted.c_str()) + u"\\sub") << "a file's path opens its directory";
    window.control().SetPath(U(fx::kDocs));
    window.control().SetPath(u"drafts.d");
    EXPECT_EQ(window.control().Path(), U(dotted.c_str()));
    window.control().SetPath(U(fx::kDocs));
}

TEST_F(ControlOnScreen, TabWalksTheChildrenInTabOrderAndLeavesTheEndsToTheHost) {
    ::SetFocus(Drive1());
    for (HWND next : {Dir1(), Text1(), Command1(), List1()}) {
        window.PressKey(::GetFocus(), VK_TAB);
        EXPECT_EQ(::GetFocus(), next);
    }
    MSG tab{List1(), WM_KEYDOWN, VK_TAB, 1, 0, {}};
    EXPECT_FALSE(window.surface().TranslateKeyboard(tab)) << "Tab on the last child is the host's";
    const ShiftHeld shift;
    window.PressKey(::GetFocus(), VK_TAB);
    EXPECT_EQ(::GetFocus(), Command1()) << "Shift+Tab goes back";
    ::SetFocus(Drive1());
    tab.hwnd = Drive1();
    EXPECT_FALSE(window.surface().TranslateKeyboard(tab)) << "Shift+Tab on the first child";
}

// What a screen reader gets for a window: its client object from oleacc, as accName reads it.
std::wstring AccessibleName(HWND window, LONG* role = nullptr) {
    win32::ComPtr<IAccessible> object;
    if (FAILED(::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                            reinterpret_cast<void**>(object.put())))) {
        return L"<no object>";
    }
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    win32::Bstr name;
    const HRESULT named = object->get_accName(self, name.put());
    const std::wstring result = named == S_OK && name.get() ? name.get() : L"<no name>";
    win32::Variant kind;
    if (role && SUCCEEDED(object->get_accRole(self, kind.put())) && kind->vt == VT_I4) *role = kind->lVal;
    return result;
}

// The role the system's own proxy gives the window's client object.
LONG StandardRole(HWND window) {
    win32::ComPtr<IAccessible> object;
    if (FAILED(::CreateStdAccessibleObject(window, OBJID_CLIENT, __uuidof(IAccessible),
                                           reinterpret_cast<void**>(object.put())))) {
        return -1;
    }
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    win32::Variant kind;
    return SUCCEEDED(object->get_accRole(self, kind.put())) && kind->vt == VT_I4 ? kind->lVal : -1;
}

TEST_F(ControlOnScreen, AScreenReaderNamesEveryPart) {
    window.control().SetPath(U(fx::kDocs));
    const std::pair<HWND, const wchar_t*> named[] = {{Drive1(), L"Drives"},
                                                     {Dir1(), L"Folders"},
                                                     {Text1(), L"File name pattern"},
                                                     {Command1(), L"All"},
                                                     {List1(), L"Files"},
                                                     {Label1(), L"5 files"},
                                                     {window.surface().hwnd(), L"Selvane"}};
    for (const auto& [part, name] : named) {
        LONG role = -2;
        EXPECT_EQ(AccessibleName(part, &role), name);
        EXPECT_EQ(role, StandardRole(part)) << "the rest is the system's";
    }
    EXPECT_EQ(TextOf(Text1()), L"*.*") << "what the pattern box shows is unchanged";
}

std::vector<std::u16string> g_traced;
void Capture(const std::u16string& line) { g_traced.push_back(line); }

TEST_F(ControlOnScreen, ASkippedStepIsTracedWithTheSystemsOwnCode) {
    g_traced.clear();
    SetTraceListener(&Capture);
    window.control().SetPath(u"D:\\nowhere");
    SetTraceListener(nullptr);
    ASSERT_EQ(g_traced.size(), 1u);
    EXPECT_NE(g_traced[0].find(u"control/selvane_path.cpp:"), std::u16string::npos);
    // Wine says the file isn't found, Windows that the path isn't.
    EXPECT_NE(g_traced[0].find(u": error 76 (Path not found), system code 0x0000000"), std::u16string::npos)
        << std::string(g_traced[0].begin(), g_traced[0].end());

    const RuntimeError unknown = win32::ErrorFromWin32(ERROR_INVALID_FUNCTION);
    EXPECT_EQ(unknown.code(), errc::kIllegalFunctionCall);
    EXPECT_EQ(unknown.system_code(), static_cast<std::uint32_t>(ERROR_INVALID_FUNCTION)) << "kept beside error 5";
}

TEST_F(ControlOnScreen, ClickingAFileShowsItsDetailsAndRaisesClick) {
    window.control().SetPath(U(fx::kDataRoot));
    ClickFile(L"thousand.txt");
    EXPECT_EQ(TextOf(Label2()), L"2/3/2001 4:05:06 AM  1,000");
    EXPECT_EQ(window.control().GetPath(), U(fx::kThousandFile));
    ClickFile(L"zero.txt");
    EXPECT_EQ(TextOf(Label2()), L"2/3/2001 4:05:06 AM  0");
    ClickFile(L"nine.txt");
    EXPECT_EQ(TextOf(Label2()), L"2/3/2001 4:05:06 AM  999");
    ClickFile(L"huge.bin");
    EXPECT_EQ(TextOf(Label2()), L"2/3/2001 4:05:06 AM  3,221,225,472");
    EXPECT_EQ(window.site().events, (std::vector<std::u16string>{u"Click", u"Click", u"Click", u"Click"}));

    window.site().events.clear();
    window.PressKey(List1(), VK_DOWN);
    EXPECT_EQ(window.site().events, std::vector<std::u16string>{u"Click"}) << "a selection by keyboard is a click";
    EXPECT_EQ(TextOf(Label2()), L"2/3/2001 4:05:06 AM  999") << "huge.bin, then nine.txt below it";

    window.site().events.clear();
    window.DoubleClickItem(List1(), IndexOf(Files(), L"zero.txt"));
    EXPECT_EQ(window.site().events, (std::vector<std::u16string>{u"Click", u"DblClick"}));

    window.control().RefreshFiles();
    EXPECT_EQ(TextOf(Label2()), L"") << "a new listing clears the details";
    EXPECT_EQ(::SendMessageW(List1(), LB_GETCURSEL, 0, 0), LB_ERR);
}

// Text, as an editor offers it when dragged from: no file in it.
class TextData final : public testing::TestObject<IDataObject> {
public:
    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 16);
        medium->pUnkForRelease = nullptr;
        return medium->hGlobal ? S_OK : E_OUTOFMEMORY;
    }
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC* format) override {
        return format->cfFormat == CF_UNICODETEXT && (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
    }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }
};

// A file or a folder dragged out of the lists is the shell's data object for it, a copy or a link
// and never a move. Dropped onto the control, a folder takes the lists there (Path told, no
// event), a file takes them to its folder and is chosen (Click), and text is refused.
TEST_F(ControlOnScreen, DraggedOutAsTheShellsFilesAndDroppedInAsTheUsersChoice) {
    window.control().SetPath(U(fx::kDocs));
    const auto dragged = [&](HWND list, const wchar_t* entry) {
        const win32::ComPtr<IDataObject> data =
            win32::DataObjectOf(window.surface().DragPaths(list, IndexOf(ListItems(list), entry)));
        FORMATETC ids{static_cast<CLIPFORMAT>(::RegisterClipboardFormatW(CFSTR_SHELLIDLIST)), nullptr, DVASPECT_CONTENT,
                      -1, TYMED_HGLOBAL};
        EXPECT_EQ(data ? data->QueryGetData(&ids) : E_POINTER, S_OK) << "the shell's ID list of " << entry;
        return win32::DroppedPaths(data.get());
    };
    using Paths = std::vector<std::wstring>;
    EXPECT_EQ(dragged(List1(), L"a.txt"), Paths{L"D:\\docs\\a.txt"});
    EXPECT_EQ(dragged(Dir1(), L"letters"), Paths{L"D:\\docs\\letters"});
    // Several chosen: a drag from one of them takes them all; from another file, that file.
    window.control().SetMultiSelect(2);
    window.surface().List1().Select(IndexOf(ListItems(List1()), L"a.txt"));
    window.surface().List1().Select(IndexOf(ListItems(List1()), L"Zeta.TXT"));
    EXPECT_EQ(dragged(List1(), L"Zeta.TXT"), (Paths{L"D:\\docs\\a.txt", L"D:\\docs\\Zeta.TXT"}));
    EXPECT_EQ(dragged(List1(), L"B.txt"), Paths{L"D:\\docs\\B.txt"});
    window.control().SetMultiSelect(0);
    EXPECT_EQ(win32::kDragEffects, static_cast<DWORD>(DROPEFFECT_COPY | DROPEFFECT_LINK));

    window.control().SetPath(u"D:\\");
    const struct {
        const char* what;
        win32::ComPtr<IDataObject> data;
        DWORD effect;
        std::u16string path;  // GetPath after the drop
        std::vector<std::u16string> events;
    } drops[] = {
        {"a folder", win32::DataObjectOf({L"D:\\docs\\letters"}), DROPEFFECT_LINK, u"D:\\docs\\letters", {}},
        {"a file", win32::DataObjectOf({L"D:\\docs\\B.txt"}), DROPEFFECT_LINK, u"D:\\docs\\B.txt", {u"Click"}},
        {"text", win32::ComPtr<IDataObject>::Adopt(new TextData), DROPEFFECT_NONE, u"D:\\docs\\B.txt", {}},
    };
    IDropTarget* target = window.surface().drop_target();
    for (const auto& drop : drops) {
        SCOPED_TRACE(drop.what);
        window.site().events.clear();
        window.site().notifications.clear();
        DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
        ASSERT_EQ(target->DragEnter(drop.data.get(), MK_LBUTTON, POINTL{10, 10}, &effect), S_OK);
        EXPECT_EQ(effect, drop.effect) << "over the control";
        effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
        ASSERT_EQ(target->Drop(drop.data.get(), 0, POINTL{10, 10}, &effect), S_OK);
        EXPECT_EQ(effect, drop.effect == DROPEFFECT_NONE ? DROPEFFECT_NONE : DROPEFFECT_COPY) << "no link allowed";
        EXPECT_EQ(window.control().GetPath(), drop.path);
        EXPECT_EQ(window.site().events, drop.events);
        EXPECT_EQ(window.site().notifications.size(), drop.effect == DROPEFFECT_NONE ? 0u : 1u);
    }
}

TEST_F(ControlOnScreen, HiddenFilesOnlyWhenAskedForAndSystemFilesNever) {
    window.control().SetPath(U(fx::kDocs));
    EXPECT_EQ(IndexOf(Files(), L"secret.txt"), -1);
    window.control().SetShowHidden(kTrue);
    EXPECT_EQ(IndexOf(Files(), L"secret.txt"), -1) << "the flag waits for the next listing";
    window.control().RefreshFiles();
    EXPECT_GE(IndexOf(Files(), L"secret.txt"), 0);
    EXPECT_EQ(IndexOf(Files(), L"sys.txt"), -1);
    const auto dirs = ListItems(Dir1());
    EXPECT_EQ(IndexOf(dirs, L"hiddendir"), -1);
    EXPECT_EQ(IndexOf(dirs, L"sysdir"), -1);
}

// The widest entry of the file list in the list's font now, in pixels.
LONG WidestEntry(HWND list) {
    const win32::WindowDC dc(list);
    const win32::SelectedObject font(dc.get(), reinterpret_cast<HFONT>(::SendMessageW(list, WM_GETFONT, 0, 0)));
    LONG widest = 0;
    for (const auto& name : ListItems(list)) {
        SIZE size{};
        ::GetTextExtentPoint32W(dc.get(), name.c_str(), static_cast<int>(name.size()), &size);
        widest = std::max(widest, size.cx);
    }
    return widest;
}

TEST_F(ControlOnScreen, TheScrollExtentFitsTheWidestNameAtEverySize) {
    window.control().SetPath(U(fx::kDocs));
    const LRESULT design_extent = ::SendMessageW(List1(), LB_GETHORIZONTALEXTENT, 0, 0);
    EXPECT_EQ(design_extent, WidestEntry(List1()) + 25);

    // A host lists first and sizes the control afterwards: no new listing follows the size.
    RECT place{};
    ::GetClientRect(window.surface().hwnd(), &place);
    window.SizeSurface(place.right * 2, place.bottom * 2);
    EXPECT_GT(::SendMessageW(List1(), LB_GETHORIZONTALEXTENT, 0, 0), design_extent);
    EXPECT_EQ(::SendMessageW(List1(), LB_GETHORIZONTALEXTENT, 0, 0), WidestEntry(List1()) + 25) << "grown";
    window.SizeSurface(place.right / 2, place.bottom / 2);
    EXPECT_EQ(::SendMessageW(List1(), LB_GETHORIZONTALEXTENT, 0, 0), WidestEntry(List1()) + 25) << "shrunk";
    window.SizeSurface(place.right, place.bottom);
    EXPECT_EQ(::SendMessageW(List1(), LB_GETHORIZONTALEXTENT, 0, 0), design_extent);
}

// The width of text in the list's font now, in pixels.
LONG TextWidthIn(HWND list, const std::wstring& text) {
    const win32::WindowDC dc(list);
    const win32::SelectedObject font(dc.get(), reinterpret_cast<HFONT>(::SendMessageW(list, WM_GETFONT, 0, 0)));
    SIZE size{};
    ::GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

// The least a directory entry needs beside its text: 16 pixels of icon and, for each level it
// sits below the root, at least 8 of indentation.
LONG LeastEntryWidth(HWND list, const std::wstring& name, int depth) { return TextWidthIn(list, name) + 16 + 8 * depth; }

TEST_F(ControlOnScreen, ALongFolderNameScrollsSidewaysInTheDirectoryList) {
    window.control().SetPath(U(fx::kWide));
    const std::wstring name = fx::kWideFolderName;
    ASSERT_EQ(ListItems(Dir1()), (std::vector<std::wstring>{L"D:\\", L"wide", name}));
    RECT client{};
    ::GetClientRect(Dir1(), &client);
    const LRESULT design_extent = ::SendMessageW(Dir1(), LB_GETHORIZONTALEXTENT, 0, 0);
    EXPECT_GT(design_extent, client.right) << "the name is wider than the list";
    EXPECT_GE(design_extent, LeastEntryWidth(Dir1(), name, 2)) << "two levels below the root";

    // Scrolled to its right end, the list shows the end of the name inside its window.
    ::SendMessageW(Dir1(), WM_HSCROLL, SB_RIGHT, 0);
    window.Pump();
    const LONG position = ::GetScrollPos(Dir1(), SB_HORZ);
    EXPECT_GT(position, 0);
    EXPECT_LE(design_extent - position, client.right) << "the extent's end is in view";
    screenshots::SaveScreenshot(L"dir-list-scrolled-right");
    ::SendMessageW(Dir1(), WM_HSCROLL, SB_LEFT, 0);

    // The name opened: the same depth, as the current folder.
    window.control().SetPath(U(fx::kWide) + u"\\" + U(fx::kWideFolderName));
    EXPECT_EQ(ListItems(Dir1()).back(), name);
    EXPECT_GE(::SendMessageW(Dir1(), LB_GETHORIZONTALEXTENT, 0, 0), LeastEntryWidth(Dir1(), name, 2));

    // The font follows the control's size, and the extent follows the font.
    window.control().SetPath(U(fx::kWide));
    RECT place{};
    ::GetClientRect(window.surface().hwnd(), &place);
    window.SizeSurface(place.right * 2, place.bottom * 2);
    const LRESULT grown = ::SendMessageW(Dir1(), LB_GETHORIZONTALEXTENT, 0, 0);
    EXPECT_GT(grown, design_extent);
    EXPECT_GE(grown, LeastEntryWidth(Dir1(), name, 2)) << "grown";
    window.SizeSurface(place.right / 2, place.bottom / 2);
    const LRESULT shrunk = ::SendMessageW(Dir1(), LB_GETHORIZONTALEXTENT, 0, 0);
    EXPECT_LT(shrunk, design_extent);
    EXPECT_GE(shrunk, LeastEntryWidth(Dir1(), name, 2)) << "shrunk";
    window.SizeSurface(place.right, place.bottom);
    EXPECT_EQ(::SendMessageW(Dir1(), LB_GETHORIZONTALEXTENT, 0, 0), design_extent);

    // Short names need no scrolling.
    window.control().SetPath(U(fx::kLettersOld));
    EXPECT_LE(::SendMessageW(Dir1(), LB_GETHORIZONTALEXTENT, 0, 0), client.right);
}

TEST_F(ControlOnScreen, AFolderOfMoreThan32767Files) {
    window.control().SetPath(U(fx::kMany));
    const HWND list = List1();
    EXPECT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), fx::kManyCount);
    EXPECT_EQ(TextOf(Label1()), std::to_wstring(fx::kManyCount) + L" files");
    const auto files = Files();
    EXPECT_EQ(files.front(), fx::kManyFirst);
    EXPECT_EQ(files.back(), fx::kManyLast);
}

TEST_F(ControlOnScreen, NetworkPathsMapToTheirDrive) {
    window.control().SetPath(std::u16string(U(fx::kNetworkRemote)) + u"\\pub");
    EXPECT_EQ(window.control().Path(), u"N:\\pub");
    window.control().SetPath(U(fx::kNetworkRoot));
    ClickFile(L"readme.txt");
    window.control().SetServer(kTrue);
    // The server form is built from the upper-cased drive entry.
    EXPECT_EQ(window.control().GetPath(), u"\\\\FAKESRV\\SHARE\\readme.txt");
}

TEST_F(ControlOnScreen, DeepFoldersAreListedAndAnswered) {
    window.control().SetPath(U(fx::kDeepFolder));
    EXPECT_EQ(window.control().Path(), U(fx::kDeepFolder));
    EXPECT_EQ(Files(), std::vector<std::wstring>{fx::kDeepFileName});
    ClickFile(fx::kDeepFileName);
    EXPECT_NE(TextOf(Label2()), L"");
    EXPECT_EQ(window.control().GetPath(), U(fx::kDeepFolder) + u"\\" + U(fx::kDeepFileName));
    EXPECT_EQ(window.control().DirExists(U(fx::kDeepFolder)), kTrue);
    EXPECT_EQ(::wcsstr(TextOf(Label2()).c_str(), L"\\\\?\\"), nullptr);
}

TEST_F(ControlOnScreen, AnUnreachableDirectoryLeavesTheListAsItWas) {
    window.control().SetPath(U(fx::kDocs));
    const auto before = ListItems(Dir1());
    try {
        window.surface().Dir1().SetPath(paths::Parse(u"D:\\no such folder"));
        ADD_FAILURE() << "the directory list accepted a missing directory";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.code(), errc::kPathNotFound);
    }
    EXPECT_EQ(ListItems(Dir1()), before);
    // A relative path is taken from the current directory.
    window.surface().Dir1().SetPath(paths::Parse(u"..\\docs\\alpha"));
    EXPECT_EQ(window.control().Path(), u"D:\\docs\\alpha");
}

TEST_F(ControlOnScreen, LabelsKeepTheirOwnColourAndFont) {
    window.control().SetLabel1Bold(kTrue);
    window.control().SetLabel2Color(0x0000FF);
    EXPECT_EQ(window.control().Label1Bold(), kTrue);
    EXPECT_EQ(window.control().Label2Bold(), kFalse);
    LOGFONTW one{};
    LOGFONTW two{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(Label1(), WM_GETFONT, 0, 0)), sizeof(one), &one);
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(Label2(), WM_GETFONT, 0, 0)), sizeof(two), &two);
    EXPECT_EQ(one.lfWeight, FW_BOLD);
    EXPECT_EQ(two.lfWeight, FW_NORMAL);
    EXPECT_EQ(window.control().Label2Color(), 0x0000FFu);
    try {
        window.control().SetBackColor(0x80FFFFFF);
        ADD_FAILURE() << "an unknown system colour was taken";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.code(), errc::kInvalidPropertyValue);
    }
}

TEST_F(ControlOnScreen, ToolTipsFollowTheTipsProperty) {
    window.control().SetPath(U(fx::kDataRoot));
    window.control().SetTips(kTrue);
    EXPECT_EQ(window.surface().tips().Text(Drive1()), std::u16string(design::kDriveTip));
    EXPECT_EQ(window.surface().tips().Text(Command1()), std::u16string(design::kAllTip));
    window.control().SetTips(kFalse);
    for (const char16_t* name : {u"Drive1", u"Dir1", u"Text1", u"Command1", u"List1", u"Label1", u"Label2"}) {
        EXPECT_EQ(window.surface().tips().Text(window.child(name)), u"") << "tip left on a child";
    }
    window.control().RefreshFiles();
    EXPECT_EQ(window.surface().tips().Text(List1()), std::u16string(design::kFileTip))
        << "a listing with files gives the file list its tip whatever Tips says";
}

// Every child keeps its designed share of the surface at any size.
TEST_F(ControlOnScreen, LayoutScalesWithTheSurface) {
    const int dpi = ::GetDeviceCaps(win32::WindowDC(nullptr).get(), LOGPIXELSX);
    const int design_width = ::MulDiv(static_cast<int>(design::kSurfaceWidth), dpi, 1440);
    const int design_height = ::MulDiv(static_cast<int>(design::kSurfaceHeight), dpi, 1440);
    screenshots::SaveScreenshot(L"control-design-size");

    for (int factor2 : {4, 1}) {  // twice and half the design size
        window.SizeSurface(design_width * factor2 / 2, design_height * factor2 / 2);
        if (factor2 == 4) screenshots::SaveScreenshot(L"control-double-size");
        const RECT list = window.PlaceOf(List1());
        const double scale = factor2 / 2.0;
        const auto& record = design::kChildren[2];
        EXPECT_NEAR(list.left, record.left * scale * dpi / 1440, 2);
        EXPECT_NEAR(list.top, record.top * scale * dpi / 1440, 2);
        EXPECT_NEAR(list.right - list.left, record.width * scale * dpi / 1440, 2);
        EXPECT_NEAR(list.bottom - list.top, record.height * scale * dpi / 1440, 2);
        // The surface's size is whole pixels, so the scale is within a pixel's share of it.
        EXPECT_NEAR(window.surface().List1().FontSize(), design::kFontSize * scale, 0.05);
        const RECT button = window.PlaceOf(Command1());
        EXPECT_NEAR(button.left, 4200 * scale * dpi / 1440, 2);
    }
}

// A container resizes the control in small steps as the user drags its edge. A step that leaves
// a child's pixels as they were leaves the window and its font alone; one that changes the
// font's pixel height gives the child a new font, and its size follows.
TEST_F(ControlOnScreen, ResizingInSmallStepsKeepsFontsUntilTheirPixelsChange) {
    const int dpi = ::GetDeviceCaps(win32::WindowDC(nullptr).get(), LOGPIXELSX);
    const int width = ::MulDiv(static_cast<int>(design::kSurfaceWidth), dpi, 1440);
    const int height = ::MulDiv(static_cast<int>(design::kSurfaceHeight), dpi, 1440);
    window.SizeSurface(width, height);
    const auto font_of = [](HWND child) { return ::SendMessageW(child, WM_GETFONT, 0, 0); };
    const LRESULT list_font = font_of(List1());
    const LRESULT dir_font = font_of(Dir1());
    const RECT list_place = window.PlaceOf(List1());

    // One pixel wider only: the height decides the fonts, so no font changes, and the list
    // keeps its height.
    window.SizeSurface(width + 1, height);
    EXPECT_EQ(font_of(List1()), list_font) << "the list's font was made again for nothing";
    EXPECT_EQ(font_of(Dir1()), dir_font);
    EXPECT_EQ(window.PlaceOf(List1()).bottom - window.PlaceOf(List1()).top, list_place.bottom - list_place.top);

    // A third larger: new fonts, and the list grows with them.
    window.SizeSurface(width * 4 / 3, height * 4 / 3);
    EXPECT_NE(font_of(List1()), list_font);
    EXPECT_GT(window.PlaceOf(List1()).bottom - window.PlaceOf(List1()).top, list_place.bottom - list_place.top);
    EXPECT_NEAR(window.surface().List1().FontSize(), design::kFontSize * 4 / 3, 0.1);
}

// Each child a resize step moves is moved once, in one go: a window placed value by value goes
// through the system's move and its repaint for each value.
std::map<HWND, int>* g_moves = nullptr;

LRESULT CALLBACK CountMoves(int code, WPARAM wparam, LPARAM lparam) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lparam);
    if (code == HC_ACTION && g_moves != nullptr && sent->message == WM_WINDOWPOSCHANGING) ++(*g_moves)[sent->hwnd];
    return ::CallNextHookEx(nullptr, code, wparam, lparam);
}

TEST_F(ControlOnScreen, AResizeStepMovesEachChildOnce) {
    RECT place{};
    ::GetClientRect(window.surface().hwnd(), &place);
    std::map<HWND, int> moves;
    g_moves = &moves;
    const HHOOK hook = ::SetWindowsHookExW(WH_CALLWNDPROC, &CountMoves, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    // Wider only, so that the fonts stay: every child but those at the left edge moves and
    // grows, with nothing else to change its place.
    ::MoveWindow(window.surface().hwnd(), 0, 0, place.right * 2, place.bottom, TRUE);
    window.control().Resize();
    ::UnhookWindowsHookEx(hook);
    g_moves = nullptr;
    // The drive list, a combo box, sets its own height again whenever it is sized.
    for (HWND child : {Command1(), Text1(), List1(), Dir1(), Label2(), Label1()}) {
        EXPECT_LE(moves[child], 1) << "child " << ::GetDlgCtrlID(child);
    }
    EXPECT_EQ(moves[Command1()], 1);
    EXPECT_EQ(moves[List1()], 1);
}

}  // namespace
}  // namespace selvane
