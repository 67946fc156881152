// The About dialog through the control's AboutBox, as a user meets it: its layout and texts,
// closing it, and the logo, which starts the browser associated with web pages. The test's
// thread sits in the dialog's modal loop while a user on another thread acts.
#include <windows.h>
#include <commctrl.h>
#include <ocidl.h>

#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "about/product_page.h"
#include "tests/windows/com_support.h"
#include "tests/windows/modal_user.h"
#include "demo/screenshot.h"
#include "tests/windows/user_input.h"

namespace selvane::testing {

using namespace screenshots;
namespace {

constexpr wchar_t kFormClass[] = L"SelvaneForm";
constexpr wchar_t kTitle[] = L"Selvane OCX";
constexpr wchar_t kMessageClass[] = L"#32770";

std::wstring TemporaryFolder() {
    wchar_t folder[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, folder);
    return folder;
}

// The web pages in the temporary folder, where the launcher makes its probe file.
std::set<std::wstring> TemporaryPages() {
    std::set<std::wstring> pages;
    WIN32_FIND_DATAW found{};
    const win32::UniqueFind search(::FindFirstFileW((TemporaryFolder() + L"*.htm").c_str(), &found));
    if (!search) return pages;
    do {
        pages.insert(found.cFileName);
    } while (::FindNextFileW(search.get(), &found));
    return pages;
}

// The test prefix's association for ".htm", set aside for a test and put back after it.
class HtmAssociation {
public:
    HtmAssociation() {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kBackup);
        HKEY backup = nullptr;
        ::RegCreateKeyExW(HKEY_CURRENT_USER, kBackup, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &backup, nullptr);
        const win32::UniqueKey owned(backup);
        saved_ = backup && ::RegCopyTreeW(HKEY_CLASSES_ROOT, L".htm", backup) == ERROR_SUCCESS;
    }
    ~HtmAssociation() {
        Remove();
        ::RegDeleteTreeW(HKEY_CLASSES_ROOT, kPageClass);
        HKEY htm = nullptr;
        if (saved_ && ::RegCreateKeyExW(HKEY_CLASSES_ROOT, L".htm", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &htm,
                                        nullptr) == ERROR_SUCCESS) {
            const win32::UniqueKey owned(htm);
            ::RegCopyTreeW(HKEY_CURRENT_USER, kBackup, htm);
        }
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kBackupParent);
    }

    void Remove() { ::RegDeleteTreeW(HKEY_CLASSES_ROOT, L".htm"); }

    // Web pages open in the program from now on.
    bool PointAt(const std::wstring& program) {
        Remove();
        const std::wstring command = L"\"" + program + L"\" \"%1\"";
        return SetDefault(L".htm", kPageClass) &&
               SetDefault(std::wstring(kPageClass) + L"\\shell\\open\\command", command.c_str());
    }

private:
    static constexpr wchar_t kBackupParent[] = L"Software\\SelvaneTests";
    static constexpr wchar_t kBackup[] = L"Software\\SelvaneTests\\HtmBackup";
    static constexpr wchar_t kPageClass[] = L"SelvaneTests.Page";

    static bool SetDefault(const std::wstring& key, const std::wstring& value) {
        return ::RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, value.c_str(),
                                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }

    bool saved_ = false;
};

class AboutBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        control_ = CreateSelvane();
        ASSERT_TRUE(control_);
        selvane_ = As<_Selvane>(control_);
        ASSERT_TRUE(selvane_);
    }
    void TearDown() override {
        selvane_.reset();
        if (control_) {
            EXPECT_EQ(ReleaseLast(control_), 0u);
        }
    }

    // AboutBox on this thread while the user acts; fails the test if the user didn't close it.
    void ShowAbout(const std::function<void(DWORD)>& user) {
        HRESULT result = E_FAIL;
        EXPECT_TRUE(WhileModal([&] { result = selvane_->AboutBox(); }, user))
            << "the dialog was still open when the user was done";
        EXPECT_EQ(result, S_OK);
    }

    ComPtr<IUnknown> control_;
    ComPtr<_Selvane> selvane_;
};

TEST_F(AboutBoxTest, DialogIsLaidOutAsDesignedAndEnterPressesOk) {
    struct Seen {
        HWND form = nullptr;
        RECT client{}, frame{};
        LONG style = 0;
        std::vector<std::wstring> classes, texts;
        std::vector<RECT> places;
        HWND focus = nullptr;
        bool notice_fits = false;
        bool closed = false;
    } seen;
    std::vector<HWND> children;
    ShowAbout([&](DWORD thread) {
        seen.form = WaitForWindow(thread, kFormClass, kTitle);
        if (!seen.form) return;
        ::GetClientRect(seen.form, &seen.client);
        ::GetWindowRect(seen.form, &seen.frame);
        seen.style = ::GetWindowLongW(seen.form, GWL_STYLE);
        children = ChildrenOf(seen.form);
        for (HWND child : children) {
            seen.classes.push_back(ClassOf(child));
            seen.texts.push_back(TextOf(child));
            seen.places.push_back(PlaceInParent(child));
        }
        seen.focus = FocusOf(seen.form);
        if (!children.empty()) {
            const win32::WindowDC dc(children[0]);
            const auto font = reinterpret_cast<HFONT>(::SendMessageW(children[0], WM_GETFONT, 0, 0));
            const win32::SelectedObject selected(dc.get(), font);
            SIZE extent{};
            ::GetTextExtentPoint32W(dc.get(), seen.texts[0].c_str(), static_cast<int>(seen.texts[0].size()), &extent);
            seen.notice_fits = extent.cx <= seen.places[0].right - seen.places[0].left;
        }
        ::RedrawWindow(seen.form, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        SaveScreenshot(L"about-box");
        PressKey(VK_RETURN);
        seen.closed = WaitUntilGone(seen.form);
    });

    ASSERT_NE(seen.form, nullptr) << "no dialog came up";
    EXPECT_TRUE(seen.closed) << "Enter right after opening presses OK";
    // 2670 x 1440 twips at 96 dots per inch.
    EXPECT_EQ(seen.client.right, 178);
    EXPECT_EQ(seen.client.bottom, 96);
    EXPECT_TRUE(seen.style & WS_SYSMENU);
    EXPECT_FALSE(seen.style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) << "fixed single, no min or max";
    EXPECT_NEAR((seen.frame.left + seen.frame.right) / 2, ::GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((seen.frame.top + seen.frame.bottom) / 2, ::GetSystemMetrics(SM_CYSCREEN) / 2, 1);

    ASSERT_EQ(seen.classes, (std::vector<std::wstring>{L"Static", L"Button", L"SelvanePictureBox"}));
    EXPECT_EQ(seen.texts[0], L"\u00A9 2026 by the Selvane team");
    EXPECT_TRUE(seen.notice_fits) << "the notice fits on its one line";
    EXPECT_EQ(seen.texts[1], L"&OK");
    const std::vector<std::vector<LONG>> places = {{8, 8, 177, 25}, {48, 56, 129, 89}, {72, 32, 105, 49}};
    for (std::size_t i = 0; i < places.size(); ++i) {
        const RECT& place = seen.places[i];
        EXPECT_EQ((std::vector<LONG>{place.left, place.top, place.right, place.bottom}), places[i]) << i;
    }
    EXPECT_EQ(seen.focus, children[1]) << "OK holds the focus";
}

TEST_F(AboutBoxTest, TheLogoIsDrawnAtTheTopLeftWithItsBackgroundTransparent) {
    struct Seen {
        COLORREF corner = 0;
        int logo_pixels = 0;
        int stray_pixels = 0;
        std::wstring tip;
    } seen;
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    ShowAbout([&](DWORD thread) {
        HWND form = WaitForWindow(thread, kFormClass, kTitle);
        if (!form) return;
        HWND picture = ChildrenOf(form).at(2);
        ::RedrawWindow(picture, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        {
            const win32::WindowDC dc(picture);
            seen.corner = ::GetPixel(dc.get(), 0, 0);
            for (int y = 0; y < 17; ++y) {
                for (int x = 0; x < 33; ++x) {
                    if (::GetPixel(dc.get(), x, y) == face) continue;
                    ++(x < 30 && y < 15 ? seen.logo_pixels : seen.stray_pixels);
                }
            }
        }

        // The tip window the form keeps for its controls.
        for (HWND tips = ::FindWindowExW(nullptr, nullptr, L"tooltips_class32", nullptr); tips;
             tips = ::FindWindowExW(nullptr, tips, L"tooltips_class32", nullptr)) {
            if (::GetWindow(tips, GW_OWNER) != form) continue;
            wchar_t text[128] = {};
            TOOLINFOW tool{};
            tool.cbSize = TTTOOLINFOW_V2_SIZE;
            tool.hwnd = form;
            tool.uId = reinterpret_cast<UINT_PTR>(picture);
            tool.lpszText = text;
            ::SendMessageW(tips, TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&tool));
            seen.tip = text;
        }
        ::PostMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(seen.corner, face) << "the logo's background shows the form through it";
    EXPECT_GT(seen.logo_pixels, 150) << "the folder and the letter";
    EXPECT_EQ(seen.stray_pixels, 0) << "nothing drawn beyond the logo's 30 x 15 pixels";
    EXPECT_EQ(seen.tip, L" Buy Selvane OCX now for only $9.95! ");
}

TEST_F(AboutBoxTest, EachCallMakesAFreshDialogAndTheCloseBoxClosesIt) {
    HWND first = nullptr;
    ShowAbout([&](DWORD thread) {
        first = WaitForWindow(thread, kFormClass, kTitle);
        if (first) ::PostMessageW(first, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(::IsWindow(first)) << "the dialog is gone once AboutBox returns";

    HWND second = nullptr;
    ShowAbout([&](DWORD thread) {
        second = WaitForWindow(thread, kFormClass, kTitle);
        PressKey(VK_RETURN);
    });
    EXPECT_NE(second, nullptr) << "a second call shows the dialog again";
    EXPECT_FALSE(::IsWindow(second));
}

// An application told to quit while the dialog is open: the dialog closes, and the quit message
// is left for the application's own loop, which would otherwise never end.
TEST_F(AboutBoxTest, AQuitMessageClosesTheDialogAndStaysForTheApplication) {
    HWND form = nullptr;
    ShowAbout([&](DWORD thread) {
        form = WaitForWindow(thread, kFormClass, kTitle);
        if (form) ::PostThreadMessageW(thread, WM_QUIT, 7, 0);
    });
    ASSERT_NE(form, nullptr);
    EXPECT_FALSE(::IsWindow(form));
    MSG quit{};
    ASSERT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 7u);
}

// The page recorder stands in for the browser; it writes its command line to a file.
class LogoTest : public AboutBoxTest {
protected:
    void SetUp() override {
        AboutBoxTest::SetUp();
        record_ = TemporaryFolder() + L"selvane-page-record.txt";
        ::DeleteFileW(record_.c_str());
        ::SetEnvironmentVariableW(L"SELVANE_PAGE_RECORD", record_.c_str());
        pages_before_ = TemporaryPages();
    }
    void TearDown() override {
        EXPECT_EQ(TemporaryPages(), pages_before_) << "no probe file is left behind";
        EXPECT_EQ(::GetFileAttributesW(L"C:\\temphtm.HTM"), INVALID_FILE_ATTRIBUTES);
        ::DeleteFileW(record_.c_str());
        AboutBoxTest::TearDown();
    }

    static std::wstring Recorder() {
        wchar_t path[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring folder(path);
        return folder.substr(0, folder.rfind(L'\\') + 1) + L"selvane_page_recorder.exe";
    }

    // What the recorder wrote, once it has; empty after the patience runs out.
    std::wstring Recorded(DWORD patience) const {
        const DWORD start = ::GetTickCount();
        do {
            const win32::UniqueFile file(::CreateFileW(record_.c_str(), GENERIC_READ,
                                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                                       nullptr));
            if (file) {
                wchar_t text[1024] = {};
                DWORD read = 0;
                ::ReadFile(file.get(), text, sizeof(text) - sizeof(wchar_t), &read, nullptr);
                if (read > 0) return text;
            }
            ::Sleep(50);
        } while (::GetTickCount() - start < patience);
        return L"";
    }

    HtmAssociation association_;
    std::wstring record_;
    std::set<std::wstring> pages_before_;
};

TEST_F(LogoTest, ClickStartsTheAssociatedBrowserWithThePageAndShowsNoMessage) {
    ASSERT_TRUE(association_.PointAt(Recorder()));
    std::wstring recorded;
    HWND message = nullptr;
    ShowAbout([&](DWORD thread) {
        HWND form = WaitForWindow(thread, kFormClass, kTitle);
        if (!form) return;
        ClickCentre(ChildrenOf(form).at(2));
        recorded = Recorded(10000);
        message = WaitForWindow(thread, kMessageClass, nullptr, nullptr, 500);
        ::PostMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    const std::wstring page(about::kProductPage.begin(), about::kProductPage.end());
    EXPECT_NE(recorded.find(L"selvane_page_recorder.exe"), std::wstring::npos) << "the browser was started";
    EXPECT_NE(recorded.find(L" " + page + L"\n"), std::wstring::npos) << "with the page address as its argument";
    EXPECT_EQ(message, nullptr) << "no message";
}

// Every message box that comes after a click on the logo, answered, until none comes for a
// second; each as its title and text.
std::vector<std::wstring> MessagesAfterLogoClick(DWORD thread) {
    std::vector<std::wstring> messages;
    HWND form = WaitForWindow(thread, kFormClass, kTitle);
    if (!form) return messages;
    ClickCentre(ChildrenOf(form).at(2));
    HWND last = nullptr;
    while (HWND message = WaitForWindow(thread, kMessageClass, nullptr, last, last ? 1000 : 5000)) {
        std::wstring texts = TextOf(message);
        for (HWND child : ChildrenOf(message)) {
            if (ClassOf(child) == L"Static" && !TextOf(child).empty()) texts += L" | " + TextOf(child);
        }
        messages.push_back(texts);
        ::PostMessageW(message, WM_COMMAND, IDOK, 0);
        WaitUntilGone(message);
        last = message;
    }
    ::PostMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0);
    return messages;
}

TEST_F(LogoTest, WithoutAnAssociationOneMessageSaysSoAndNothingStarts) {
    association_.Remove();
    std::vector<std::wstring> messages;
    ShowAbout([&](DWORD thread) { messages = MessagesAfterLogoClick(thread); });
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], L"Selvane OCX | Unable to find associated browser.");
    EXPECT_EQ(Recorded(500), L"") << "nothing was started";
}

TEST_F(LogoTest, AfterTheMessageTheFocusIsBackAndEnterClosesTheDialog) {
    association_.Remove();
    HWND focus = nullptr;
    bool closed_by_enter = false;
    ShowAbout([&](DWORD thread) {
        HWND form = WaitForWindow(thread, kFormClass, kTitle);
        if (!form) return;
        ClickCentre(ChildrenOf(form).at(2));
        if (HWND message = WaitForWindow(thread, kMessageClass, nullptr)) {
            ::PostMessageW(message, WM_COMMAND, IDOK, 0);
            WaitUntilGone(message);
        }
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        for (int i = 0; i < 100 && (!info.hwndFocus || !::IsChild(form, info.hwndFocus)); ++i) {
            ::Sleep(20);
            ::GetGUIThreadInfo(thread, &info);
        }
        focus = info.hwndFocus;
        if (focus) ::PostMessageW(focus, WM_KEYDOWN, VK_RETURN, 1);
        closed_by_enter = WaitUntilGone(form);
        if (!closed_by_enter) ::PostMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_NE(focus, nullptr) << "no control of the dialog has the focus";
    EXPECT_TRUE(closed_by_enter);
}

TEST_F(LogoTest, ABrowserThatCannotStartIsToldInOneMessage) {
    ASSERT_TRUE(association_.PointAt(L"C:\\nowhere\\browser.exe"));
    std::vector<std::wstring> messages;
    ShowAbout([&](DWORD thread) { messages = MessagesAfterLogoClick(thread); });
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], L"Selvane OCX | Unable to open web page.");
}

}  // namespace
}  // namespace selvane::testing
