// A drive that doesn't answer holds the host's thread no longer than the deadline: the tests' own
// file system (tests/windows/hang_fs.py, mounted as H: and I: while these tests run) hangs on
// chosen paths, and each case measures how long the control keeps the thread.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "win32/deadline.h"
#include "win32/handles.h"
#include "tests/windows/com_support.h"
#include "tests/windows/control_window.h"
#include "tests/windows/fixture.h"
#include "tests/windows/user_input.h"

namespace selvane {
namespace {

namespace fx = testing::fixture;
using testing::ComboItems;
using testing::IndexOf;
using testing::ListItems;
using testing::TextOf;
using win32::Utf16;

// What the host may wait at most for anything on a drive that doesn't answer.
constexpr double kMostSeconds = 3.0;
constexpr double kDeadlineSeconds = win32::kSilenceMilliseconds / 1000.0;

template <class Action>
double SecondsTaken(Action&& action) {
    const ULONGLONG start = ::GetTickCount64();
    action();
    return static_cast<double>(::GetTickCount64() - start) / 1000.0;
}

// The trace lines the control leaves while a test listens.
std::vector<std::wstring> g_traced;
void Capture(const std::u16string& line) { g_traced.push_back(win32::Wide(line)); }

bool AnyTraced(const std::wstring& part) {
    return std::any_of(g_traced.begin(), g_traced.end(),
                       [&](const std::wstring& line) { return line.find(part) != std::wstring::npos; });
}

// Every call that hangs is answered, and has come back.
bool AnswerAll() {
    ::GetFileAttributesW(fx::kAnswerNow);
    for (int i = 0; i < 100 && win32::CallsOut() != 0; ++i) ::Sleep(50);
    return win32::CallsOut() == 0;
}

class HangingDrive : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(::GetFileAttributesW(fx::kHangHealthy), INVALID_FILE_ATTRIBUTES)
            << "H: is not the tests' file system: tests/windows/hang_fs.sh mounts it";
        ASSERT_TRUE(AnswerAll());
    }
    void TearDown() override { EXPECT_TRUE(AnswerAll()) << "a call is still out after its drive answered"; }

    HWND Drive1() const { return window.child(u"Drive1"); }
    HWND Dir1() const { return window.child(u"Dir1"); }
    HWND List1() const { return window.child(u"List1"); }
    std::vector<std::wstring> Files() const { return ListItems(List1()); }

    testing::ControlWindow window;
};

// Each member and user action that reaches the disk, on a path that hangs from the start: back
// within the deadline's reach, with what the published behaviour shows for a folder or a file
// that can't be read.
TEST_F(HangingDrive, EveryMemberAndUserActionOnAPathThatHangsReturnsInTime) {
    struct Case {
        const char* what;
        std::function<void()> before;  // on a drive that answers
        std::function<void()> act;     // timed, once the drive hangs
        std::function<void()> check;
    };
    const Case cases[] = {
        {"Path set to a folder whose list hangs", [] {},
         [&] { window.control().SetPath(Utf16(fx::kHangList)); },
         [&] {
             EXPECT_EQ(window.control().Path(), Utf16(fx::kHangList));
             EXPECT_EQ(ListItems(Dir1()), (std::vector<std::wstring>{L"H:\\", L"list"})) << "no subfolders read";
             EXPECT_TRUE(Files().empty());
             EXPECT_EQ(TextOf(window.child(u"Label1")), L"Device unavailable") << "not an empty folder";
         }},
        {"the user picks a drive whose root's list hangs",
         [&] {
             window.control().SetPath(Utf16(fx::kHangHealthy));
             window.control().SetPath(u"H:\\");
             ASSERT_EQ(IndexOf(ComboItems(Drive1()), L"i:"), IndexOf(ComboItems(Drive1()), L"h:") + 1);
         },
         [&] { window.PressKey(Drive1(), VK_DOWN); },
         [&] {
             EXPECT_EQ(window.surface().Drive1().Drive(), Utf16(fx::kHangListDrive));
             EXPECT_EQ(window.control().Path(), u"I:\\");
             EXPECT_EQ(ListItems(Dir1()), std::vector<std::wstring>{L"I:\\"});
             EXPECT_TRUE(Files().empty());
         }},
        {"a click on a file whose attributes hang",
         [&] {
             window.control().SetPath(Utf16(fx::kHangAttributes));
             ASSERT_EQ(Files(), std::vector<std::wstring>{fx::kHangFileName});
             window.site().events.clear();
         },
         [&] { window.ClickItem(List1(), 0); },
         [&] {
             EXPECT_EQ(TextOf(window.child(u"Label2")), L"") << "no details";
             EXPECT_EQ(window.site().events, std::vector<std::u16string>{u"Click"});
         }},
        {"FileExists on a file whose attributes hang", [] {},
         [&] { EXPECT_EQ(window.control().FileExists(Utf16(fx::kHangFile)), kFalse); }, [] {}},
        {"DirExists on a file whose attributes hang", [] {},
         [&] {
             try {
                 window.control().DirExists(Utf16(fx::kHangFile));
                 ADD_FAILURE() << "answered";
             } catch (const RuntimeError& e) {
                 EXPECT_EQ(e.code(), errc::kDeviceUnavailable);
             }
         },
         [] {}},
        {"RefreshFiles in a folder whose list hangs",
         [&] { window.control().SetPath(Utf16(fx::kHangList)); },
         [&] { window.control().RefreshFiles(); },
         [&] { EXPECT_TRUE(Files().empty()); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(AnswerAll());
        c.before();
        ::GetFileAttributesW(fx::kHangNow);
        const double seconds = SecondsTaken(c.act);
        EXPECT_LE(seconds, kMostSeconds);
        EXPECT_GE(seconds, kDeadlineSeconds - 0.1) << "the drive was asked, and waited for";
        c.check();
        EXPECT_EQ(win32::CallsOut(), 1) << "one call left out";
    }
}

// One call that hangs parks one worker: the drive's next calls fail at once, other drives answer
// as ever, and once the drive answers, everything works again.
TEST_F(HangingDrive, ADriveThatHangsParksOneCallAndAnswersAgainWhenItComesBack) {
    g_traced.clear();
    SetTraceListener(&Capture);
    struct StopListening {
        ~StopListening() { SetTraceListener(nullptr); }
    } stop_listening;
    ::GetFileAttributesW(fx::kHangNow);
    for (int i = 0; i < 10; ++i) {
        TruthValue exists = kTrue;
        const double seconds = SecondsTaken([&] { exists = window.control().FileExists(Utf16(fx::kHangFile)); });
        EXPECT_EQ(exists, kFalse) << "call " << i;
        if (i == 0) {
            EXPECT_GE(seconds, kDeadlineSeconds - 0.1);
            EXPECT_LE(seconds, kMostSeconds);
        } else {
            EXPECT_LE(seconds, 0.2) << "call " << i << " waited on a drive known to hang";
        }
    }
    EXPECT_EQ(win32::CallsOut(), 1);
    EXPECT_EQ(window.control().FileExists(Utf16(fx::kNineFile)), kTrue) << "another drive answers";
    window.control().SetPath(Utf16(fx::kHangList));
    EXPECT_TRUE(Files().empty()) << "the whole drive fails at once";
    EXPECT_EQ(win32::CallsOut(), 1);
    EXPECT_TRUE(AnyTraced(L"GetFileAttributesExW on \"H:\\attr\\file.txt\" missed its deadline"));
    EXPECT_TRUE(AnyTraced(L"GetFileAttributesExW on \"H:\\attr\\file.txt\" failed at once: h: has a call out"));
    EXPECT_FALSE(AnyTraced(L"came back"));

    ASSERT_TRUE(AnswerAll());
    EXPECT_TRUE(AnyTraced(L"GetFileAttributesExW on \"H:\\attr\\file.txt\" came back after"));
    EXPECT_EQ(window.control().FileExists(Utf16(fx::kHangFile)), kTrue);
    EXPECT_EQ(window.control().DirExists(Utf16(fx::kHangFile)), kTrue);
    window.control().SetPath(Utf16(fx::kHangList));
    EXPECT_EQ(Files(), std::vector<std::wstring>{fx::kHangListFile});
    window.control().SetPath(Utf16(fx::kHangAttributes));
    window.ClickItem(List1(), 0);
    EXPECT_EQ(TextOf(window.child(u"Label2")), L"2/3/2001 4:05:06 AM  4");
}

// A dead server costs one deadline, not one a share, and dead servers park a bounded number of
// calls whatever names they go by: past the bound, even a new server's first share fails at once,
// while drive letters are asked as ever.
TEST_F(HangingDrive, DeadServersCostOneDeadlineEachAndParkABoundedNumberOfCalls) {
    static_assert(fx::kDeadServers > static_cast<int>(win32::kMostServerCallsOut));
    ::GetFileAttributesW(fx::kHangNow);
    for (int server = 1; server <= fx::kDeadServers; ++server) {
        for (int share = 1; share <= fx::kDeadServerShares; ++share) {
            const std::wstring file = fx::kDeadServer + std::to_wstring(server) + L"\\share" +
                                      std::to_wstring(share) + L"\\" + fx::kHangFileName;
            const double seconds = SecondsTaken([&] { EXPECT_EQ(window.control().FileExists(Utf16(file)), kFalse); });
            if (share == 1 && server <= static_cast<int>(win32::kMostServerCallsOut)) {
                EXPECT_GE(seconds, kDeadlineSeconds - 0.1) << file;
            } else {
                EXPECT_LE(seconds, 0.2) << file;
            }
        }
    }
    EXPECT_EQ(win32::CallsOut(), static_cast<LONG>(win32::kMostServerCallsOut));
    EXPECT_EQ(window.control().FileExists(Utf16(fx::kNineFile)), kTrue) << "a drive letter is asked as ever";
}

// A control made while four drives' roots don't answer waits for them once, not once each,
// and shows every letter; each drive's type (and label) fills in when its answer comes. Under
// Wine the first listing's watch then waits a second deadline: Wine looks the folder up under a
// lock of the process that the drives' calls hold. It doesn't mark the healthy drive.
TEST_F(HangingDrive, DrivesThatDontAnswerCostOneDeadlineAndFillInWhenTheyAnswer) {
    const auto types = [](testing::ControlWindow& control) {
        std::u16string letters;
        for (const win32::SystemDrive& drive :
             static_cast<const win32::Win32DriveList&>(control.surface().Drive1()).shown()) {
            if (std::u16string_view(fx::kRootDrives).find(drive.entry.letter) != std::u16string_view::npos) {
                letters += drive.type == DRIVE_UNKNOWN ? u'?' : drive.entry.letter;
            }
        }
        return letters;
    };
    ::GetFileAttributesW(fx::kHangRootsNow);
    std::unique_ptr<testing::ControlWindow> made;
    const double seconds = SecondsTaken([&] { made = std::make_unique<testing::ControlWindow>(); });
    EXPECT_LE(seconds, 2 * kDeadlineSeconds + 0.5) << "one deadline for all four drives, not one each";
    EXPECT_EQ(made->control().Path(), u"C:\\");
    EXPECT_GT(ListItems(made->child(u"Dir1")).size(), 1u) << "C: listed, not taken for a drive that hangs";
    EXPECT_NE(TextOf(made->child(u"Label1")), L"Device unavailable");
    EXPECT_EQ(types(*made), u"????") << "every letter, its type unknown";
    ::GetFileAttributesW(fx::kAnswerNow);
    const ULONGLONG end = ::GetTickCount64() + 10000;
    while (types(*made) != fx::kRootDrives && ::GetTickCount64() < end) {
        made->Pump();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    EXPECT_EQ(types(*made), fx::kRootDrives) << "each filled in";
}

// One call of the host costs no more than one deadline on a drive that answers every call late,
// each in less than the deadline: the control's calls to the disk for it share one allowance.
TEST_F(HangingDrive, AMemberOnADriveThatAnswersEveryCallLateCostsOneDeadline) {
    testing::ComPtr<IUnknown> object = testing::CreateSelvane();
    const testing::ComPtr<_Selvane> selvane = testing::As<_Selvane>(object);
    ASSERT_TRUE(selvane);
    ASSERT_EQ(selvane->put_Path(testing::Bstr(L"H:\\").get()), S_OK);
    ::GetFileAttributesW(fx::kSluggishNow);
    const double seconds = SecondsTaken([&] { selvane->put_Path(testing::Bstr(fx::kLate).get()); });
    EXPECT_LE(seconds, kDeadlineSeconds + 0.7) << "one allowance for the whole call";
    EXPECT_GE(seconds, kDeadlineSeconds - 0.1) << "the drive was asked, and waited for";
}

// A shown folder on a drive that answers every call late costs the host nothing, idle or
// changing: the watch's checks run on workers, and so do the rearming after a change and the
// calls of the listing for it, which the host's thread then only applies. A probe on another
// thread finds the host's thread answering all along, while a file made in the folder shows
// (each call waited on that thread would hold it for more than a second). Only the programs'
// own calls are late: under Wine a call late in its server would stall every thread there is.
TEST_F(HangingDrive, AShownFolderOnADriveThatAnswersLateLeavesTheHostsThreadFree) {
    const std::wstring made = std::wstring(fx::kLate) + L"\\made.txt";
    window.control().SetPath(Utf16(fx::kLate));
    ASSERT_EQ(Files(), std::vector<std::wstring>{L"l.txt"});
    ::GetFileAttributesW(fx::kSluggishNow);
    const HWND list = List1();
    std::atomic<bool> done{false};
    std::atomic<bool> probing{true};
    std::atomic<ULONGLONG> longest{0};
    std::thread probe([&] {
        while (!done) {
            const ULONGLONG sent = ::GetTickCount64();
            DWORD_PTR result = 0;
            ::SendMessageTimeoutW(list, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
            const ULONGLONG waited = ::GetTickCount64() - sent;
            if (waited > longest) longest = waited;
            ::Sleep(50);
        }
        probing = false;
    });
    std::thread change([&] {
        ::Sleep(3000);
        win32::UniqueFile file(::CreateFileW(made.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
        EXPECT_TRUE(file) << "the test's file system made no file: " << ::GetLastError();
    });
    // Pumped until the probe is done: its last message may come after the time is up.
    const ULONGLONG end = ::GetTickCount64() + 25000;
    bool shown = false;
    while (probing) {
        shown = shown || IndexOf(Files(), L"made.txt") >= 0;
        done = shown || ::GetTickCount64() >= end;
        window.Pump();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    probe.join();
    change.join();
    ::GetFileAttributesW(fx::kAnswerNow);
    ::DeleteFileW(made.c_str());
    EXPECT_TRUE(shown) << "the file made never showed";
    EXPECT_LT(longest.load(), 500u) << "the host's thread was held";
}

// Idle means idle: once a folder is shown and nothing changes, the watch's check of it comes
// every ten seconds, so that 20 idle seconds see three checks at most (each answer the surface
// gets from its worker is one). The calls the drive had meanwhile are recorded too: a check is
// about 15 calls of this file system under Wine 8. Under Wine the watch of a folder here also
// tells, now and then, of a change that nothing made, and each costs a listing.
int g_checks = 0;
HWND g_checked_window = nullptr;
LRESULT CALLBACK CountChecks(int code, WPARAM remove, LPARAM message) {
    const auto* posted = reinterpret_cast<const MSG*>(message);
    if (code == HC_ACTION && remove == PM_REMOVE && posted->hwnd == g_checked_window &&
        posted->message == win32::Win32Surface::kWatchChecked) {
        ++g_checks;
    }
    return ::CallNextHookEx(nullptr, code, remove, message);
}

TEST_F(HangingDrive, AShownFolderIsCheckedEveryTenSecondsWhileNothingChanges) {
    const auto calls = [] {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        ::GetFileAttributesExW(fx::kHangCalls, GetFileExInfoStandard, &data);
        return data.nFileSizeLow;
    };
    const auto idle_for = [&](DWORD milliseconds) {
        const ULONGLONG end = ::GetTickCount64() + milliseconds;
        while (::GetTickCount64() < end) {
            window.Pump();
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
    };
    g_checked_window = window.surface().hwnd();
    const HHOOK hook = ::SetWindowsHookExW(WH_GETMESSAGE, &CountChecks, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    window.control().SetPath(Utf16(fx::kHangHealthy));
    idle_for(3000);
    g_checks = 0;
    const DWORD before = calls();
    idle_for(20000);
    RecordProperty("calls_in_20_idle_seconds", static_cast<int>(calls() - before));
    ::UnhookWindowsHookEx(hook);
    EXPECT_LE(g_checks, 3);
    EXPECT_GE(g_checks, 1) << "the folder is still checked";
}

// The deadline is on silence: a folder that keeps answering, if slowly, is listed whole.
TEST_F(HangingDrive, AFolderThatAnswersSlowlyIsListedWhole) {
    const double seconds = SecondsTaken([&] { window.control().SetPath(Utf16(fx::kHangSlow)); });
    EXPECT_GT(seconds, kDeadlineSeconds) << "longer than the deadline in all";
    EXPECT_EQ(Files().size(), static_cast<std::size_t>(fx::kHangSlowCount));
    EXPECT_EQ(TextOf(window.child(u"Label1")), std::to_wstring(fx::kHangSlowCount) + L" files");
    EXPECT_EQ(win32::CallsOut(), 0);
}

// While a call of its own is out, the library stays loaded however its objects have gone; yet a
// program with such a call ends when it is done, without waiting for it: selvane-window opens
// H:\\list, whose list hangs, and closes after a second. (Under Wine the Unix process lingers
// until the drive answers; the program, as Windows programs see it, has ended.)
TEST_F(HangingDrive, ACallThatIsOutKeepsTheLibraryLoadedButNoProgramWaitsForIt) {
    testing::ComPtr<IUnknown> control = testing::CreateSelvane();
    ASSERT_TRUE(control);
    using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();
    const auto can_unload = testing::Export<CanUnloadNow>(::GetModuleHandleW(L"selvane.ocx"), "DllCanUnloadNow");
    ASSERT_TRUE(can_unload);

    ::GetFileAttributesW(fx::kHangNow);
    VARIANT_BOOL exists = VARIANT_TRUE;
    const double seconds = SecondsTaken([&] {
        EXPECT_EQ(testing::As<_Selvane>(control)->FileExists(win32::Bstr(fx::kHangFile).get(), &exists), S_OK);
    });
    EXPECT_LE(seconds, kMostSeconds);
    EXPECT_EQ(exists, VARIANT_FALSE);
    EXPECT_EQ(testing::ReleaseLast(control), 0u);
    EXPECT_EQ(can_unload(), S_FALSE) << "a call is out";

    wchar_t own[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, own, MAX_PATH);
    std::wstring command = own;
    command.resize(command.rfind(L'\\') + 1);
    command = L"\"" + command + L"..\\..\\selvane-window.exe\" --path " + fx::kHangList + L" --close-after 1";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started));
    const win32::UniqueKernelHandle process(started.hProcess);
    const win32::UniqueKernelHandle thread(started.hThread);
    const DWORD ended = ::WaitForSingleObject(process.get(), 15000);
    DWORD code = 1;
    ::GetExitCodeProcess(process.get(), &code);
    EXPECT_EQ(ended, WAIT_OBJECT_0) << "the program waited for its call";
    EXPECT_EQ(code, 0u);

    ::GetFileAttributesW(fx::kAnswerNow);
    HRESULT unloadable = S_FALSE;
    for (int i = 0; i < 100 && (unloadable = can_unload()) != S_OK; ++i) ::Sleep(50);
    EXPECT_EQ(unloadable, S_OK) << "the call came back";
}

}  // namespace
}  // namespace selvane
