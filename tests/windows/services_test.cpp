// The Win32 file system, locale, list order and text measuring, against the test prefix's drives.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "win32/dir_list.h"
#include "win32/drive_list.h"
#include "win32/list_box.h"
#include "win32/win32_file_system.h"
#include "win32/win32_locale.h"
#include "tests/common/host_checks.h"
#include "tests/windows/fixture.h"

namespace selvane {
namespace {

namespace fx = testing::fixture;
using win32::Utf16;

using Names = std::vector<std::u16string>;
using testing::Matches;

bool Has(const std::vector<std::u16string>& names, const std::u16string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::u16string U(const wchar_t* text) { return Utf16(text); }

TEST(Win32FileSystem, EnumerationFollowsTheAttributeMask) {
    win32::Win32FileSystem files;
    const std::u16string docs = U(fx::kDocs) + u"\\*.*";

    const auto normal = Matches(files, docs, 0);
    EXPECT_TRUE(Has(normal, u"a.txt"));
    EXPECT_TRUE(Has(normal, u"Zeta.TXT"));
    EXPECT_FALSE(Has(normal, u"secret.txt"));
    EXPECT_FALSE(Has(normal, u"sys.txt"));
    EXPECT_FALSE(Has(normal, u"alpha")) << "directories qualify only with mask 16";
    EXPECT_FALSE(Has(normal, u"."));

    const auto hidden = Matches(files, docs, attr::kHidden);
    EXPECT_TRUE(Has(hidden, u"secret.txt"));
    EXPECT_FALSE(Has(hidden, u"sys.txt"));

    const auto with_directories = Matches(files, docs, attr::kDirectory);
    EXPECT_TRUE(Has(with_directories, u"alpha"));
    EXPECT_TRUE(Has(with_directories, u".."));
    EXPECT_FALSE(Has(with_directories, u"hiddendir"));

    // A bare directory matches all of it, as a "*" would.
    EXPECT_EQ(Matches(files, U(fx::kDocs) + u"\\", 0), normal);
    EXPECT_EQ(Matches(files, U(fx::kDocs) + u"\\*.log", 0), std::vector<std::u16string>{u"c.log"});
    EXPECT_TRUE(Matches(files, U(fx::kDocs) + u"\\nothing-*", 0).empty());
    EXPECT_TRUE(Matches(files, u"D:\\no such folder\\*.*", 0).empty());
}

TEST(Win32FileSystem, EnumerationStopsWhenAsked) {
    win32::Win32FileSystem files;
    int seen = 0;
    files.Enumerate(U(fx::kMany) + u"\\*.txt", 0, [&](const std::u16string&) { return ++seen < 3; });
    EXPECT_EQ(seen, 3);
}

TEST(Win32FileSystem, LengthsAndTimesOfFiles) {
    win32::Win32FileSystem files;
    EXPECT_EQ(files.Stat(U(fx::kZeroFile)).length, fx::kZeroSize);
    EXPECT_EQ(files.Stat(U(fx::kThousandFile)).length, fx::kThousandSize);
    EXPECT_EQ(files.Stat(U(fx::kHugeFile)).length, fx::kHugeSize);
    EXPECT_EQ(files.Stat(U(fx::kDocs)).length, 0u);

    const LocalTime written = files.Stat(U(fx::kNineFile)).modified.value();
    EXPECT_EQ(written.year, fx::kFixtureTime.year);
    EXPECT_EQ(written.month, fx::kFixtureTime.month);
    EXPECT_EQ(written.day, fx::kFixtureTime.day);
    EXPECT_EQ(written.hour, fx::kFixtureTime.hour);
    EXPECT_EQ(written.minute, fx::kFixtureTime.minute);
    EXPECT_EQ(written.second, fx::kFixtureTime.second);

    try {
        files.Stat(u"D:\\missing.txt").length;
        ADD_FAILURE() << "a missing file has no length";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.code(), errc::kFileNotFound);
    }
    EXPECT_TRUE(files.IsDirectory(U(fx::kHiddenFolder)));
    EXPECT_FALSE(files.IsDirectory(U(fx::kZeroFile)));
    EXPECT_FALSE(files.IsDirectory(u"Q:\\"));
}

TEST(Win32FileSystem, PathsBeyondMaxPathWork) {
    win32::Win32FileSystem files;
    const std::u16string deep = U(fx::kDeepFolder);
    ASSERT_GT(deep.size(), static_cast<std::size_t>(MAX_PATH));
    EXPECT_EQ(Matches(files, deep + u"\\*.*", 0), std::vector<std::u16string>{U(fx::kDeepFileName)});
    EXPECT_TRUE(files.IsDirectory(deep));
    EXPECT_EQ(files.Stat(deep + u"\\" + U(fx::kDeepFileName)).length, 0u);
}

TEST(Win32Locale, GeneralDateAndGroupingFollowTheLocale) {
    const LocalTime time{2003, 2, 9, 10, 15, 32};
    win32::Win32Locale us(MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT));
    EXPECT_EQ(us.ShortDate(time), u"2/9/2003");
    EXPECT_EQ(us.LongTime(time), u"10:15:32 AM");
    EXPECT_EQ(us.ThousandsSeparator(), u",");

    win32::Win32Locale german(MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT));
    // Windows writes German short dates as dd.MM.yyyy; Wine 8 as d.M.yyyy.
    const std::u16string german_date = german.ShortDate(time);
    EXPECT_TRUE(german_date == u"09.02.2003" || german_date == u"9.2.2003") << std::string(german_date.begin(), german_date.end());
    EXPECT_EQ(german.LongTime(time), u"10:15:32");
    EXPECT_EQ(german.ThousandsSeparator(), u".");
}

TEST(Win32Locale, CaseMappingIsWindowsOwn) {
    win32::Win32Locale locale;
    EXPECT_EQ(locale.ToLower(u"C:\\DATEN\\\u00c4RGER"), u"c:\\daten\\\u00e4rger");
    EXPECT_EQ(locale.ToUpper(u"x: [\\\\fs1\\pub]"), u"X: [\\\\FS1\\PUB]");
}

// The names as a list box with LBS_SORT shows them, added one by one.
std::vector<std::u16string> SortedListBoxOrder(const std::vector<std::u16string>& names) {
    HWND sorted = ::CreateWindowExW(0, L"LISTBOX", L"", LBS_SORT | LBS_HASSTRINGS, 0, 0, 100, 100, nullptr, nullptr,
                                    nullptr, nullptr);
    std::vector<std::u16string> shown;
    for (const auto& name : names) ::SendMessageW(sorted, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    for (std::size_t i = 0; i < names.size(); ++i) {
        wchar_t text[64] = {};
        ::SendMessageW(sorted, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        shown.push_back(Utf16(text));
    }
    ::DestroyWindow(sorted);
    return shown;
}

// The order the file list shows must be the one its sorted flag gives, entry for entry, also
// where that order and an ordinal one disagree about many names: hyphens and apostrophes,
// which the list weighs only when all else is equal, digits, and case.
TEST(Win32ListOrder, MatchesWhatASortedListBoxGives) {
    std::vector<std::u16string> interleaved;
    for (int i = 0; i < 240; ++i) {
        const std::wstring number = std::to_wstring(100 + (i * 7919) % 900);
        const wchar_t* const forms[] = {L"data-", L"Data", L"DATA'", L"data_"};
        interleaved.push_back(Utf16(forms[i % 4] + number + (i % 3 ? L"_v.txt" : L"_Final.TXT")));
    }
    const std::vector<std::vector<std::u16string>> cases = {
        {u"b.txt",  u"B2.txt", u"_under.txt", u"a-b.txt", u"ab.txt", u"A.TXT.bak", u"zeta", u"\u00e9t\u00e9.doc",
         u"etc.doc", u"10.txt", u"9.txt",     u"~tmp",    u"a b",    u"Ab",        u"(x)",  u"aB.txt",
         u"f10.txt", u"F1.txt", u"f2.txt",   u"f1.txt",  u"f1-2",   u"f12",       u"f1_1", u"I1",     u"i2"},
        {u"data-00001_v.txt", u"data00000_final.txt", u"data-00003_v.txt", u"DATA00002_final.txt", u"co-op",
         u"coop", u"Co-op2", u"o'neil.txt", u"ONeil1.txt", u"o'Neil2.txt", u"one'", u"v-10", u"v9", u"V1-1",
         u"ReadMe.txt", u"readme.TXT", u"it's", u"its", u"-", u"'", u"x-'-y", u"x'-'y"},
        interleaved,
    };
    for (const auto& names : cases) {
        SCOPED_TRACE(std::string(names.front().begin(), names.front().end()));
        const std::vector<std::u16string> expected = SortedListBoxOrder(names);
        const std::vector<std::size_t> order = win32::SortedListOrder(names);
        ASSERT_EQ(order.size(), names.size());
        for (std::size_t i = 0; i < order.size(); ++i) EXPECT_EQ(names[order[i]], expected[i]) << "at " << i;
    }
}

TEST(Win32TextMeter, AgreesWithTheSystemsMeasure) {
    HWND window = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    LOGFONTW wanted{};
    wanted.lfHeight = -11;
    wcscpy(wanted.lfFaceName, L"Tahoma");
    const win32::UniqueFont owned_font(::CreateFontIndirectW(&wanted));
    const HFONT font = owned_font.get();
    win32::TextMeter meter;
    {
        const win32::WindowDC window_dc(window);
        const HDC dc = window_dc.get();
        const win32::SelectedObject in_font(dc, font);
        for (const std::u16string text : {u"f00000.txt", u"WWW wide.TXT", u"caf\u00e9 \u00c5ngstr\u00f6m.doc",
                                          u"\u65e5\u672c\u8a9e.txt", u""}) {
            SIZE size{};
            ::GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(text.c_str()), static_cast<int>(text.size()), &size);
            EXPECT_EQ(meter.Width(window, font, text), size.cx);
        }
    }
    ::DestroyWindow(window);
}

TEST(Win32Drives, EntriesShowLabelsAndConnections) {
    std::vector<std::u16string> texts;
    for (const win32::SystemDrive& drive : win32::ReadDrives()) texts.push_back(drive.entry.Text());
    EXPECT_TRUE(Has(texts, u"d: [" + U(fx::kDataLabel) + u"]"));
    EXPECT_TRUE(Has(texts, u"e:"));
    EXPECT_TRUE(Has(texts, u"n: [" + U(fx::kNetworkRemote) + u"]"));
    EXPECT_TRUE(std::is_sorted(texts.begin(), texts.end()));
}

TEST(Win32Directories, SubdirectoriesAreVisibleOnesSortedWithoutCase) {
    win32::ReadAhead reads;
    EXPECT_EQ(win32::VisibleSubdirectories(reads, fx::kDocs),
              (std::vector<std::wstring>{L"alpha", L"Beta", L"Gamma", L"letters"}));
}

}  // namespace
}  // namespace selvane
