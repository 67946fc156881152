// What the logic may count on from any host: one typed suite over the file system, the
// children and their folder watch, the locale, the store of saved settings, the forms and the
// shell, run natively on the in-memory host and under Wine on the Win32 host, so that the
// native tests' host answers as Windows does wherever the logic could tell the difference.
//
// A host takes part through a World, made fresh for each test:
//   host::FileSystem& files();           the file system, holding kContractLayout
//   host::Surface& surface();            a surface whose lists show D:\docs, not yet shown
//   void SetCurrentFolder(path);         the process's current folder, for relative paths
//   void SelectListEntry(int index);     the user selects a file-list entry
//   void ShowSurface(bool shown);        the container shows or hides the surface
//   std::u16string NewFolder();          an empty folder of the test's own, gone after it
//   void MakeFile(path);                 another program makes a file
//   void PumpUntil(done);                the surface's message loop runs until done() or a few
//                                        seconds have passed, then a little longer
//   const host::Locale& locale();        the user's locale, English (United States)
//   Reloaded Reload(store, key, value);  see ServicesContract below
//   host::Forms& forms();
//   void ClickWhileShown(form, design, names);  shows the form modally while the user clicks
//                                        the named controls in turn
//   host::Shell& shell();                a shell that associates web pages with a program
// (the calls that may fail an assertion are made under ASSERT_NO_FATAL_FAILURE, so that a
// failure names the test's line too)
//   static bool UnderWine();             where Wine is known to answer unlike Windows
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "control/members.h"
#include "control/settings_record.h"
#include "host/controls.h"
#include "host/error.h"
#include "host/file_system.h"
#include "host/forms.h"
#include "host/locale.h"
#include "host/shell.h"
#include "host/stored_value.h"
#include "host/surface.h"
#include "tests/common/host_checks.h"

namespace selvane::testing {

// The part of the Windows tests' fixture drives (tests/windows/fixture.h) that the contract
// reads; the in-memory world builds exactly this. Wine also has C: and Z:, both unlabelled.
// The key held while the user clicks an entry of the file list.
enum class ClickKeys { kNone, kShift, kCtrl };

struct LayoutEntry {
    const char16_t* path;
    std::uint64_t size;
    std::uint32_t attributes;  // attr::kDirectory for a folder
};
inline constexpr LocalTime kLayoutTime{2001, 2, 3, 4, 5, 6};
inline constexpr const char16_t kDataLabel[] = u"FIXTUREDATA";
inline constexpr const char16_t kNetworkRemote[] = u"\\\\fakesrv\\share";
inline constexpr LayoutEntry kContractLayout[] = {
    {u"D:\\.windows-label", 12, attr::kHidden},
    {u"D:\\zero.txt", 0, 0},
    {u"D:\\nine.txt", 999, 0},
    {u"D:\\thousand.txt", 1000, 0},
    {u"D:\\huge.bin", 3ull << 30, 0},
    {u"D:\\docs\\a.txt", 0, 0},
    {u"D:\\docs\\B.txt", 0, 0},
    {u"D:\\docs\\c.log", 0, 0},
    {u"D:\\docs\\_under.txt", 0, 0},
    {u"D:\\docs\\Zeta.TXT", 0, 0},
    {u"D:\\docs\\secret.txt", 0, attr::kHidden},
    {u"D:\\docs\\sys.txt", 0, attr::kSystem},
    {u"D:\\docs\\alpha", 0, attr::kDirectory},
    {u"D:\\docs\\Beta", 0, attr::kDirectory},
    {u"D:\\docs\\Gamma", 0, attr::kDirectory},
    {u"D:\\docs\\letters\\old", 0, attr::kDirectory},
    {u"D:\\docs\\hiddendir", 0, attr::kDirectory | attr::kHidden},
    {u"D:\\docs\\sysdir", 0, attr::kDirectory | attr::kSystem},
    {u"E:\\first.txt", 10, 0},
    {u"E:\\caf\u00e9.txt", 20, 0},
    {u"N:\\pub", 0, attr::kDirectory},
    {u"N:\\readme.txt", 7, 0},
};

using Names = std::vector<std::u16string>;

template <class World>
class FileSystemContract : public ::testing::Test {
protected:
    host::FileSystem& files() { return world.files(); }
    Names Match(const std::u16string& path, std::uint32_t mask = 0) { return Matches(files(), path, mask); }
    World world;
};
TYPED_TEST_SUITE_P(FileSystemContract);

TYPED_TEST_P(FileSystemContract, EnumerationFollowsTheAttributeMask) {
    const Names files{u"B.txt", u"Zeta.TXT", u"_under.txt", u"a.txt", u"c.log"};
    EXPECT_EQ(this->Match(u"D:\\docs\\*.*"), files);
    EXPECT_EQ(this->Match(u"D:\\docs\\*.*", attr::kHidden),
              (Names{u"B.txt", u"Zeta.TXT", u"_under.txt", u"a.txt", u"c.log", u"secret.txt"}));
    EXPECT_EQ(this->Match(u"D:\\docs\\s*", attr::kHidden | attr::kSystem), (Names{u"secret.txt", u"sys.txt"}));
    // Directories, and "." and ".." below a root only; "*.*" takes names without a dot.
    EXPECT_EQ(this->Match(u"D:\\docs\\*.*", attr::kDirectory),
              (Names{u".", u"..", u"B.txt", u"Beta", u"Gamma", u"Zeta.TXT", u"_under.txt", u"a.txt", u"alpha",
                     u"c.log", u"letters"}));
    EXPECT_EQ(this->Match(u"D:\\docs\\*dir", attr::kDirectory | attr::kHidden | attr::kSystem),
              (Names{u"hiddendir", u"sysdir"}));
    EXPECT_EQ(this->Match(u"E:\\*", attr::kDirectory), (Names{u"caf\u00e9.txt", u"first.txt"}));
}

TYPED_TEST_P(FileSystemContract, PatternsMatchWithoutCaseAndATrailingSeparatorMatchesAll) {
    EXPECT_EQ(this->Match(u"D:\\docs\\?.txt"), (Names{u"B.txt", u"a.txt"}));
    EXPECT_EQ(this->Match(u"D:\\DOCS\\*.TXT"), (Names{u"B.txt", u"Zeta.TXT", u"_under.txt", u"a.txt"}));
    EXPECT_EQ(this->Match(u"d:\\docs\\zeta.txt"), (Names{u"Zeta.TXT"}));
    EXPECT_EQ(this->Match(u"D:\\docs\\"), this->Match(u"D:\\docs\\*"));
    EXPECT_EQ(this->Match(u"D:\\docs\\letters/", attr::kDirectory), (Names{u".", u"..", u"old"}));
    EXPECT_EQ(this->Match(u"D:\\docs\\nothing-*"), Names{});
}

TYPED_TEST_P(FileSystemContract, EitherSlashSeparatesAndAColonMatchesOnlyADevice) {
    EXPECT_EQ(this->Match(u"D:/docs/*.log"), (Names{u"c.log"}));
    EXPECT_EQ(this->Match(u"D:\\docs/letters\\*", attr::kDirectory), (Names{u".", u"..", u"old"}));
    EXPECT_EQ(this->Match(u"D:\\docs\\letters/../*.log"), (Names{u"c.log"}));
    // A colon names a stream or a device, never part of a listed name.
    EXPECT_EQ(this->Match(u"D:\\docs\\x:*.*"), Names{});
    EXPECT_EQ(this->Match(u"D:\\docs\\a.txt:*"), Names{});
    EXPECT_EQ(this->Match(u"D:\\docs\\*:*"), Names{});
    EXPECT_EQ(this->Match(u"D:\\docs\\nul"), (Names{u"nul"}));
    EXPECT_EQ(this->Match(u"D:\\docs\\con:"), (Names{u"con"}));
    EXPECT_EQ(this->Match(u"D:\\nowhere\\nul"), Names{});
}

TYPED_TEST_P(FileSystemContract, RelativePathsStartFromTheCurrentFolder) {
    ASSERT_NO_FATAL_FAILURE(this->world.SetCurrentFolder(u"D:\\docs"));
    EXPECT_EQ(this->Match(u"*.log"), (Names{u"c.log"}));
    EXPECT_EQ(this->Match(u"letters\\*", attr::kDirectory), (Names{u".", u"..", u"old"}));
    EXPECT_EQ(this->Match(u"..\\docs\\c.*"), (Names{u"c.log"}));
    EXPECT_EQ(this->Match(u"\\docs\\*.log"), (Names{u"c.log"}));
    EXPECT_EQ(this->Match(u"D:*.log"), (Names{u"c.log"})) << "the current folder of the current drive";
    EXPECT_EQ(this->Match(u"E:*.txt"), (Names{u"caf\u00e9.txt", u"first.txt"})) << "another drive's root";
    EXPECT_EQ(this->files().Stat(u"..\\nine.txt").length, 999u);
    EXPECT_EQ(this->files().Stat(u"..\\nine.txt").modified.value().year, kLayoutTime.year);
    EXPECT_TRUE(this->files().IsDirectory(u"letters"));
    EXPECT_FALSE(this->files().IsDirectory(u"a.txt"));
}

TYPED_TEST_P(FileSystemContract, LengthsAndTimes) {
    host::FileSystem& files = this->files();
    EXPECT_EQ(files.Stat(u"D:\\zero.txt").length, 0u);
    EXPECT_EQ(files.Stat(u"D:\\NINE.TXT").length, 999u);
    EXPECT_EQ(files.Stat(u"D:\\huge.bin").length, 3ull << 30);
    EXPECT_EQ(files.Stat(u"E:\\caf\u00c9.txt").length, 20u);
    EXPECT_EQ(files.Stat(u"N:\\readme.txt").length, 7u);
    EXPECT_EQ(files.Stat(u"D:\\docs").length, 0u);
    const LocalTime written = files.Stat(u"D:\\docs\\a.txt").modified.value();
    EXPECT_EQ((std::vector<int>{written.year, written.month, written.day, written.hour, written.minute, written.second}),
              (std::vector<int>{kLayoutTime.year, kLayoutTime.month, kLayoutTime.day, kLayoutTime.hour,
                                kLayoutTime.minute, kLayoutTime.second}));
    EXPECT_TRUE(files.IsDirectory(u"D:\\docs\\hiddendir"));
    EXPECT_TRUE(files.IsDirectory(u"N:\\PUB"));
    EXPECT_FALSE(files.IsDirectory(u"D:\\zero.txt"));
}

TYPED_TEST_P(FileSystemContract, MissingAndMalformedPathsFailWithTheSystemsErrors) {
    host::FileSystem& files = this->files();
    EXPECT_EQ(this->Match(u"D:\\nowhere\\*.*"), Names{});
    EXPECT_EQ(this->Match(u"Q:\\*.*"), Names{}) << "a letter without a drive has no such path";
    EXPECT_EQ(ErrorOf([&] { this->Match(u"D:\\do*\\*.*"); }), errc::kBadFileName);
    EXPECT_EQ(ErrorOf([&] { files.Stat(u"D:\\missing.txt").length; }), errc::kFileNotFound);
    EXPECT_EQ(ErrorOf([&] { files.Stat(u"D:\\nowhere\\x.txt").length; }), errc::kPathNotFound);
    EXPECT_EQ(ErrorOf([&] { files.Stat(u"D:\\zero.txt\\x").length; }), errc::kPathNotFound);
    EXPECT_EQ(ErrorOf([&] { files.Stat(u"D:\\*.txt").length; }), errc::kBadFileName);
    EXPECT_EQ(ErrorOf([&] { files.Stat(u"D:\\docs\\gone").modified.value(); }), errc::kFileNotFound);
    // Windows finds no path on a letter without a drive; Wine 8 reports the file as missing.
    EXPECT_EQ(ErrorOf([&] { files.Stat(u"Q:\\x.txt").modified.value(); }),
              TypeParam::UnderWine() ? errc::kFileNotFound : errc::kPathNotFound);
    EXPECT_FALSE(files.IsDirectory(u"Q:\\"));
    EXPECT_EQ((std::vector<bool>{files.HasDrive(u'q'), files.HasDrive(u'D'), files.HasDrive(u'n')}),
              (std::vector<bool>{false, true, true}));
    EXPECT_FALSE(files.IsDirectory(u"D:\\do?s"));
    EXPECT_FALSE(files.IsDirectory(u"D:\\nowhere"));
}

TYPED_TEST_P(FileSystemContract, EnumerationStopsWhenAsked) {
    int seen = 0;
    this->files().Enumerate(u"D:\\docs\\*", attr::kDirectory, [&](const std::u16string&) { return ++seen < 2; });
    EXPECT_EQ(seen, 2);
}

REGISTER_TYPED_TEST_SUITE_P(FileSystemContract, EnumerationFollowsTheAttributeMask,
                            PatternsMatchWithoutCaseAndATrailingSeparatorMatchesAll,
                            EitherSlashSeparatesAndAColonMatchesOnlyADevice, RelativePathsStartFromTheCurrentFolder,
                            LengthsAndTimes, MissingAndMalformedPathsFailWithTheSystemsErrors,
                            EnumerationStopsWhenAsked);

template <class World>
class ChildrenContract : public ::testing::Test {
protected:
    void SetUp() override { world.surface().Connect(&events); }
    void TearDown() override { world.surface().Connect(nullptr); }
    host::DirList& dir() { return world.surface().Dir1(); }
    host::DriveList& drive() { return world.surface().Drive1(); }
    host::ListBox& list() { return world.surface().List1(); }
    host::TextBox& text() { return world.surface().Text1(); }
    Names Entries() {
        Names names;
        for (int i = 0; i < list().ListCount(); ++i) names.push_back(list().List(i));
        return names;
    }
    World world;
    ChildEventLog events;
};
TYPED_TEST_SUITE_P(ChildrenContract);

TYPED_TEST_P(ChildrenContract, DirListShowsTheDriveInCapitalsAndEachNameAsStored) {
    host::DirList& dir = this->dir();
    EXPECT_EQ(dir.Path(), u"D:\\docs");
    // Each put, and the path shown after it, from where the one before left the list.
    const std::pair<std::u16string, std::u16string> steps[] = {
        {u"d:\\DOCS\\LETTERS\\", u"D:\\docs\\letters"},
        {u"OLD", u"D:\\docs\\letters\\old"},
        {u"..\\..", u"D:\\docs"},
        {u"letters/old", u"D:\\docs\\letters\\old"},
        {u"\\DOCS\\beta", u"D:\\docs\\Beta"},
        {u"D:", u"D:\\docs\\Beta"},  // a bare drive keeps the folder on that drive
        {u"e:", u"E:\\"},
        {u"d:docs", u"D:\\docs"},  // a drive and a name are read from the drive's root
        {u"D:\\docs\\hiddendir", u"D:\\docs\\hiddendir"},
    };
    for (const auto& [put, shown] : steps) {
        SCOPED_TRACE(::testing::PrintToString(put));
        dir.SetPath(paths::Parse(put));
        EXPECT_EQ(dir.Path(), shown);
    }
    EXPECT_EQ(this->events.seen, std::vector<std::string>(8, "Dir1"));
}

TYPED_TEST_P(ChildrenContract, DirListMovesOnlyToAnotherReachableFolder) {
    host::DirList& dir = this->dir();
    dir.SetPath(paths::Parse(u"d:\\DOCS\\"));
    EXPECT_TRUE(this->events.seen.empty()) << "the same folder in other case is no change";
    EXPECT_EQ(ErrorOf([&] { dir.SetPath(paths::Parse(u"D:\\nowhere")); }), errc::kPathNotFound);
    EXPECT_EQ(ErrorOf([&] { dir.SetPath(paths::Parse(u"D:\\zero.txt")); }), errc::kPathNotFound);
    EXPECT_EQ(ErrorOf([&] { dir.SetPath(paths::Parse(u"Q:\\")); }), errc::kPathNotFound);
    EXPECT_EQ(ErrorOf([&] { dir.SetPath(paths::Parse(u"")); }), errc::kPathNotFound);
    EXPECT_EQ(ErrorOf([&] { dir.SetPath(paths::Parse(u"D:\\do*")); }), errc::kBadFileName);
    EXPECT_EQ(dir.Path(), u"D:\\docs");
    EXPECT_TRUE(this->events.seen.empty());
}

TYPED_TEST_P(ChildrenContract, DriveListShowsEveryDriveAndSelectsByTheFirstLetter) {
    host::DriveList& drive = this->drive();
    std::vector<host::DriveEntry> drives = drive.Entries();
    // H: to M: lead to the file system of the tests of a drive that doesn't answer
    // (tests/windows/hang_fs.py), which is mounted only while they run.
    drives.erase(std::remove_if(drives.begin(), drives.end(),
                                [](const host::DriveEntry& entry) { return entry.letter >= u'h' && entry.letter <= u'm'; }),
                 drives.end());
    Names entries;
    for (const host::DriveEntry& entry : drives) entries.push_back(entry.Text());
    EXPECT_EQ(entries, (Names{u"c:", u"d: [" + std::u16string(kDataLabel) + u"]", u"e:",
                              u"n: [" + std::u16string(kNetworkRemote) + u"]", u"z:"}));
    ASSERT_EQ(drives.size(), 5u);
    EXPECT_EQ(drives[1].kind, host::DriveKind::kFixed);
    EXPECT_EQ(drives[1].label_or_unc, kDataLabel);
    EXPECT_EQ(drives[3].kind, host::DriveKind::kNetwork);
    EXPECT_EQ(drives[3].label_or_unc, kNetworkRemote);

    EXPECT_EQ(drive.Drive(), u"d: [" + std::u16string(kDataLabel) + u"]");
    drive.SetDrive(u"D: [anything]");
    EXPECT_TRUE(this->events.seen.empty());
    drive.SetDrive(u"E");
    EXPECT_EQ(drive.Drive(), u"e:");
    EXPECT_EQ(ErrorOf([&] { drive.SetDrive(u"q:"); }), errc::kDeviceUnavailable);
    EXPECT_EQ(ErrorOf([&] { drive.SetDrive(u""); }), errc::kDeviceUnavailable);
    EXPECT_EQ(drive.Drive(), u"e:");
    EXPECT_EQ(this->events.seen, std::vector<std::string>{"Drive1"});
}

// Symbols before digits before letters, accents after case, hyphens and apostrophes weighed
// last ("f12" before "f1-2"), "ß" as "ss"; names that compare equal go in before the equal one
// the list meets, so a batch into an empty list shows them last-added first.
TYPED_TEST_P(ChildrenContract, FileListSortsAsTheSystemsSortedListBox) {
    host::ListBox& list = this->list();
    list.Replace({u"b.txt", u"B2.txt", u"_under.txt", u"a-b.txt", u"ab.txt", u"A.TXT.bak", u"zeta", u"\u00e9t\u00e9.doc",
                   u"etc.doc", u"10.txt", u"9.txt", u"~tmp", u"a b", u"Ab", u"(x)", u"aB.txt", u"f10.txt", u"F1.txt",
                   u"f2.txt", u"f1.txt", u"f1-2", u"f12", u"f1_1", u"\u00c9clair", u"eclair", u"\u00fcber", u"uber",
                   u"stra\u00dfe", u"strasse", u"a'b.txt", u"Beta", u"beta"},
                 0);
    Names sorted{u"(x)", u"_under.txt", u"~tmp", u"10.txt", u"9.txt", u"a b", u"A.TXT.bak", u"Ab", u"aB.txt",
                 u"ab.txt", u"a'b.txt", u"a-b.txt", u"b.txt", u"B2.txt", u"beta", u"Beta", u"eclair", u"\u00c9clair",
                 u"etc.doc", u"\u00e9t\u00e9.doc", u"f1.txt", u"F1.txt", u"f1_1", u"f10.txt", u"f12", u"f1-2",
                 u"f2.txt", u"stra\u00dfe", u"strasse", u"uber", u"\u00fcber", u"zeta"};
    EXPECT_EQ(this->Entries(), sorted);
    // Other names take the place of all of them.
    list.Replace({u"ZETA", u"AB", u"a"}, 0);
    EXPECT_EQ(this->Entries(), (Names{u"a", u"AB", u"ZETA"}));
}

TYPED_TEST_P(ChildrenContract, FileListSelectionAndReplace) {
    host::ListBox& list = this->list();
    list.Replace({u"c", u"a", u"b"}, 0);
    EXPECT_EQ(list.SelCount(), 0);
    EXPECT_EQ(list.Text(), u"");
    ASSERT_NO_FATAL_FAILURE(this->world.SelectListEntry(1));
    EXPECT_EQ(list.Text(), u"b");
    EXPECT_EQ(list.SelCount(), 1);
    // The same names again: the same entries, nothing selected.
    list.Replace({u"c", u"a", u"b"}, 0);
    EXPECT_EQ(this->Entries(), (Names{u"a", u"b", u"c"}));
    EXPECT_EQ(list.SelCount(), 0);
    EXPECT_EQ(list.Text(), u"");
    ASSERT_NO_FATAL_FAILURE(this->world.SelectListEntry(2));
    list.Replace({}, 0);
    EXPECT_EQ(list.ListCount(), 0);
    EXPECT_EQ(list.SelCount(), 0);
    EXPECT_EQ(list.Text(), u"");
    EXPECT_EQ(ErrorOf([&] { list.List(0); }), errc::kInvalidPropertyArrayIndex);
}

TYPED_TEST_P(ChildrenContract, FileListSelectedByTheProgramRaisesNoClick) {
    host::ListBox& list = this->list();
    list.Replace({u"c", u"a", u"b"}, 0);
    list.Select(2);
    EXPECT_EQ(list.Text(), u"c");
    EXPECT_EQ(list.SelCount(), 1);
    EXPECT_EQ(ErrorOf([&] { list.Select(3); }), errc::kInvalidPropertyArrayIndex);
    EXPECT_EQ(ErrorOf([&] { list.Select(-1); }), errc::kInvalidPropertyArrayIndex);
    EXPECT_EQ(list.Text(), u"c");
    EXPECT_TRUE(this->events.seen.empty());
}

// The user's clicks choose as the system's list boxes of each kind do, and the program reads what
// is chosen; the other order puts numbers as numbers, keeping what is chosen and on top.
TYPED_TEST_P(ChildrenContract, FileListChoosesSeveralAndSortsNumbersAsNumbers) {
    host::ListBox& list = this->list();
    const Names names{u"file1", u"file2", u"file10", u"File3", u"a1b", u"a01b"};
    list.Replace(names, 0);
    EXPECT_EQ(this->Entries(), (Names{u"a01b", u"a1b", u"file1", u"file10", u"file2", u"File3"}));
    using K = ClickKeys;
    // Each step: the mode, the click (entry, key) and the entries chosen after it.
    struct Step {
        SelectionMode mode;
        int entry;
        ClickKeys keys;
        std::vector<int> chosen;
    };
    const Step steps[] = {
        {SelectionMode::kOne, 1, K::kNone, {1}},       {SelectionMode::kOne, 3, K::kCtrl, {3}},
        {SelectionMode::kToggle, 5, K::kNone, {3, 5}}, {SelectionMode::kToggle, 3, K::kShift, {5}},
        {SelectionMode::kExtend, 2, K::kNone, {2}},    {SelectionMode::kExtend, 4, K::kShift, {2, 3, 4}},
        {SelectionMode::kExtend, 3, K::kCtrl, {2, 4}}, {SelectionMode::kExtend, 0, K::kCtrl, {0, 2, 4}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(::testing::Message() << "mode " << static_cast<int>(step.mode) << ", entry " << step.entry);
        if (list.Selection() != step.mode) list.SetSelection(step.mode);
        ASSERT_NO_FATAL_FAILURE(this->world.ClickListEntry(step.entry, step.keys));
        EXPECT_EQ(list.SelectedIndices(), step.chosen);
        EXPECT_EQ(list.SelCount(), static_cast<int>(step.chosen.size()));
        EXPECT_EQ(list.CaretIndex(), step.entry);
    }
    EXPECT_EQ(list.Text(), u"a01b") << "the caret's entry, chosen";
    list.SetCaretIndex(3);
    EXPECT_EQ(list.Text(), u"") << "the caret's entry isn't chosen";

    list.SetTopIndex(2);
    const int top = list.TopIndex();
    list.SetOrder(NameOrder::kNumbersAsNumbers);
    EXPECT_EQ(this->Entries(), (Names{u"a01b", u"a1b", u"file1", u"file2", u"File3", u"file10"}));
    EXPECT_EQ(list.SelectedIndices(), (std::vector<int>{0, 2, 3})) << "a01b, file1 and file2 stay chosen";
    EXPECT_EQ(list.List(list.CaretIndex()), u"file10");
    EXPECT_EQ(list.TopIndex(), top) << "file1 stays on top";
    EXPECT_TRUE(list.Holds(names, 0));

    // Back to one: the caret's entry alone stays chosen.
    list.Select(1);
    list.SetSelection(SelectionMode::kOne);
    EXPECT_EQ(list.SelectedIndices(), std::vector<int>{1});
    EXPECT_EQ(this->events.seen, std::vector<std::string>(std::size(steps), "List1Click")) << "a Click a click";
}

// What the view-keeping of a listing that follows the disk stands on: which names the list
// holds, where they are, the entry on top and the keyboard caret.
TYPED_TEST_P(ChildrenContract, FileListFindsNamesAndKeepsTopAndCaret) {
    host::ListBox& list = this->list();
    Names names;
    for (char16_t c = u'a'; c <= u'z'; ++c) names.push_back(std::u16string(u"file_") + c);
    names.push_back(u"File_b");
    list.Replace(names, 100);
    const int count = list.ListCount();
    ASSERT_EQ(count, 27);
    EXPECT_TRUE(list.Holds(names, 100));
    EXPECT_FALSE(list.Holds(names, 101));
    EXPECT_EQ(list.List(list.Find(u"File_b")), u"File_b") << "case counts";
    EXPECT_EQ(list.List(list.Find(u"file_b")), u"file_b");
    EXPECT_EQ(list.Find(u"file_B"), -1);

    list.SetTopIndex(5);
    EXPECT_EQ(list.TopIndex(), 5);
    list.SetTopIndex(count - 1);
    EXPECT_GT(list.TopIndex(), 5);
    EXPECT_LT(list.TopIndex(), count - 1) << "the last page stays full";

    list.SetCaretIndex(7);
    EXPECT_EQ(list.CaretIndex(), 7);
    EXPECT_EQ(list.SelCount(), 0) << "the caret alone selects nothing";
    list.Select(9);
    EXPECT_EQ(list.CaretIndex(), 9);
    EXPECT_NE(ErrorOf([&] { list.SetCaretIndex(3); }), 0) << "a chosen entry holds the caret";
    EXPECT_EQ(list.CaretIndex(), 9);

    // Given the names it holds, the list is as emptied and filled: top, caret, nothing chosen.
    list.SetTopIndex(12);
    list.Replace(names, 100);
    EXPECT_EQ(list.SelCount(), 0);
    EXPECT_EQ(list.TopIndex(), 0);
    EXPECT_EQ(list.CaretIndex(), 0);
    list.Replace({u"x"}, 100);
    EXPECT_FALSE(list.Holds(names, 100));
    EXPECT_EQ(list.CaretIndex(), 0);
    EXPECT_TRUE(this->events.seen.empty());
}

TYPED_TEST_P(ChildrenContract, PatternBoxHoldsTextUpToANulAndKeepsLongTextWhole) {
    host::TextBox& text = this->text();
    text.SetText(std::u16string(u"*.txt\0*.log", 11));
    EXPECT_EQ(text.Text(), u"*.txt");
    text.SetText(u"*.txt");
    EXPECT_EQ(this->events.seen, std::vector<std::string>{"Text1"});
    const std::u16string longer(host::kLongestShownText + 5, u'?');
    text.SetText(longer);
    EXPECT_EQ(text.Text(), longer);
    text.SetText(u"*.*");
    EXPECT_EQ(text.Text(), u"*.*");
    EXPECT_EQ(this->events.seen.size(), 3u);
}

TYPED_TEST_P(ChildrenContract, SurfaceHoldsTheChildrenInItsOwnOrder) {
    host::Surface& surface = this->world.surface();
    Names names;
    for (int i = 0; i < surface.ControlCount(); ++i) names.push_back(surface.Control(i).Name());
    EXPECT_EQ(names, (Names{u"Command1", u"Text1", u"List1", u"Dir1", u"Drive1", u"Label2", u"Label1"}));
    EXPECT_EQ(ErrorOf([&] { surface.Control(7); }), errc::kInvalidPropertyArrayIndex);
}

TYPED_TEST_P(ChildrenContract, AWatchedFolderTellsOfABurstOfChangesOnceAndAStoppedWatchTellsNothing) {
    host::Surface& surface = this->world.surface();
    std::u16string folder;
    ASSERT_NO_FATAL_FAILURE(folder = this->world.NewFolder());
    const auto changes = [&] {
        return std::count(this->events.seen.begin(), this->events.seen.end(), "FolderChanged");
    };
    // Each step: what the container and the other program do, then how many changes were told.
    struct Step {
        const char* what;
        std::function<void()> act;
        long told;
    };
    char16_t next = u'a';
    const auto make_file = [&] { this->world.MakeFile(folder + u"\\" + next++ + u".txt"); };
    const Step steps[] = {
        {"watched while hidden", [&] { surface.WatchFolder(folder); make_file(); }, 0},
        {"shown: a burst of two files", [&] { this->world.ShowSurface(true); make_file(); make_file(); }, 1},
        {"nothing new", [] {}, 1},
        {"hidden again", [&] { this->world.ShowSurface(false); make_file(); }, 1},
        {"shown: what came while hidden is not told", [&] { this->world.ShowSurface(true); }, 1},
        {"a change", [&] { make_file(); }, 2},
        {"the watch stopped", [&] { surface.WatchFolder(u""); make_file(); }, 2},
        {"a folder that isn't there",
         [&] {
             EXPECT_EQ(surface.WatchFolder(folder + u"\\gone"), host::WatchState::kGone);
             make_file();
         },
         2},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        ASSERT_NO_FATAL_FAILURE(step.act());
        const long wanted = step.told;
        ASSERT_NO_FATAL_FAILURE(this->world.PumpUntil([&] { return changes() > wanted; }));
        EXPECT_EQ(changes(), wanted);
    }
    // The checks of the watch come by the clock on Windows and when a test asks in memory: they
    // aside, nothing else was told.
    std::vector<std::string> told = this->events.seen;
    told.erase(std::remove(told.begin(), told.end(), "WatchCheck"), told.end());
    EXPECT_EQ(told, std::vector<std::string>(2, "FolderChanged")) << "and nothing else";
}

REGISTER_TYPED_TEST_SUITE_P(ChildrenContract, FileListChoosesSeveralAndSortsNumbersAsNumbers,
                            DirListShowsTheDriveInCapitalsAndEachNameAsStored,
                            DirListMovesOnlyToAnotherReachableFolder,
                            DriveListShowsEveryDriveAndSelectsByTheFirstLetter, FileListSortsAsTheSystemsSortedListBox,
                            FileListSelectionAndReplace, FileListSelectedByTheProgramRaisesNoClick,
                            FileListFindsNamesAndKeepsTopAndCaret,
                            PatternBoxHoldsTextUpToANulAndKeepsLongTextWhole,
                            SurfaceHoldsTheChildrenInItsOwnOrder,
                            AWatchedFolderTellsOfABurstOfChangesOnceAndAStoppedWatchTellsNothing);

// Which store a control saves into and loads from.
enum class Store {
    kHostBag,         // the host's property bag: a container's through the COM bag, or the in-memory one
    kSettingsRecord,  // the settings record, as a stream carries it
};

// What a new control did with a store of the kind holding one value under a key: the error
// reading it failed with (0 for none; none known where the store gives no way to tell, as a
// stream comes without an error log), and what the control then saved under the key into a new
// store of the same kind.
struct Reloaded {
    std::optional<std::int32_t> error;
    std::optional<host::StoredValue> saved;
};

// The value written into a typed store by its own kind (a double has none).
inline void PutStored(host::PropertyBag& bag, const std::u16string& key, const host::StoredValue& value) {
    if (const auto* number = std::get_if<std::int32_t>(&value)) return bag.WriteInt32(key, *number, 0);
    if (const auto* truth = std::get_if<bool>(&value)) return bag.WriteBool(key, ToTruth(*truth), kFalse);
    if (const auto* text = std::get_if<std::u16string>(&value)) return bag.WriteString(key, *text, u"");
    ADD_FAILURE() << "the settings record holds no floating-point numbers";
}

// What the record holds under the key, read as the type it was written with.
inline std::optional<host::StoredValue> SavedIn(SettingsRecord& record, const std::u16string& key) {
    const std::optional<SettingsValueType> type = record.TypeOf(key);
    if (!type) return std::nullopt;
    switch (*type) {
    case SettingsValueType::kInt32: return host::StoredValue(record.ReadInt32(key, 0));
    case SettingsValueType::kTruth: return host::StoredValue(IsTrue(record.ReadBool(key, kFalse)));
    case SettingsValueType::kString: return host::StoredValue(record.ReadString(key, u""));
    }
    return std::nullopt;
}

// Records a form's clicks; a click on the named control unloads the form.
class FormClicks : public host::FormEvents {
public:
    explicit FormClicks(std::u16string_view unloads) : unloads_(unloads) {}
    void OnClick(std::u16string_view control) override {
        seen.emplace_back(control);
        if (control == unloads_ && form != nullptr) form->Unload();
    }
    host::Form* form = nullptr;
    std::vector<std::u16string> seen;

private:
    std::u16string_view unloads_;
};

template <class World>
class ServicesContract : public ::testing::Test {
protected:
    World world;
};
TYPED_TEST_SUITE_P(ServicesContract);

TYPED_TEST_P(ServicesContract, TheLocaleWritesDatesTimesNumbersAndCaseAsTheUnitedStatesDo) {
    const host::Locale& locale = this->world.locale();
    const struct {
        LocalTime time;
        const char16_t* date;
        const char16_t* time_text;
    } moments[] = {
        {kLayoutTime, u"2/3/2001", u"4:05:06 AM"},
        {{1999, 12, 31, 23, 59, 59}, u"12/31/1999", u"11:59:59 PM"},
        {{2024, 10, 17, 0, 5, 9}, u"10/17/2024", u"12:05:09 AM"},
        {{2024, 3, 7, 12, 0, 0}, u"3/7/2024", u"12:00:00 PM"},
    };
    for (const auto& moment : moments) {
        EXPECT_EQ(locale.ShortDate(moment.time), moment.date);
        EXPECT_EQ(locale.LongTime(moment.time), moment.time_text);
    }
    EXPECT_EQ(locale.ThousandsSeparator(), u",");
    // Paths, Latin-1, Greek and Cyrillic; the sharp s and the final sigma have no capitals.
    EXPECT_EQ(locale.ToLower(u"C:\\DATEN\\\u00c4RGER \u00de\u00d7 \u0391\u03a9 \u0416\u042f\u0401"),
              u"c:\\daten\\\u00e4rger \u00fe\u00d7 \u03b1\u03c9 \u0436\u044f\u0451");
    EXPECT_EQ(locale.ToUpper(u"x: [\\\\fs1\\pub] \u00e9\u00f7\u00df \u03b1\u03c2 \u0436\u0450"),
              u"X: [\\\\FS1\\PUB] \u00c9\u00f7\u00df \u0391\u03c2 \u0416\u0400");
}

// Each store answers a read of the key's own type with the value written, and converts
// between int32 and truth values; the host's bag also reads numbers from text and writes them
// as text, as automation converts values, where the settings record refuses any text
// conversion. A refused value leaves the control as it was, which for these keys is their default.
TYPED_TEST_P(ServicesContract, TheStoresReadBackTheSameValuesAndRefuseTheSameOnes) {
    struct Expected {
        std::int32_t error;  // 0: the value below is read
        host::StoredValue value;
    };
    const auto read = [](host::StoredValue value) { return Expected{0, std::move(value)}; };
    const auto refused = [](std::int32_t error) { return Expected{error, {}}; };
    using Text = std::u16string;
    const host::Property& color = members::kLabel1Color;  // int32, default 0
    const host::Property& flag = members::kDirOnly;       // truth, default False
    const host::Property& pattern = members::kFileType;   // text, default "*.*"
    const struct {
        const host::Property& key;
        host::StoredValue stored;
        Expected bag;
        std::optional<Expected> record;  // none: the record can't hold the value
    } cases[] = {
        {color, 0x00336699, read(0x00336699), read(0x00336699)},
        {color, static_cast<std::int32_t>(0x80000012), read(static_cast<std::int32_t>(0x80000012)),
         read(static_cast<std::int32_t>(0x80000012))},
        {flag, true, read(true), read(true)},
        {pattern, Text(u"caf\u00e9 *.txt"), read(Text(u"caf\u00e9 *.txt")), read(Text(u"caf\u00e9 *.txt"))},
        {pattern, Text(u""), read(Text(u"")), read(Text(u""))},
        {flag, 7, read(true), read(true)},
        // True reads as -1, which names no colour: the label refuses it.
        {color, true, refused(errc::kInvalidPropertyValue), refused(errc::kInvalidPropertyValue)},
        {color, Text(u" 12 "), read(12), refused(errc::kTypeMismatch)},
        {color, Text(u"1.5e1"), read(15), refused(errc::kTypeMismatch)},
        {flag, Text(u"tRUE"), read(true), refused(errc::kTypeMismatch)},
        {flag, Text(u"2"), read(true), refused(errc::kTypeMismatch)},
        {pattern, 42, read(Text(u"42")), refused(errc::kTypeMismatch)},
        {pattern, true, read(Text(u"-1")), refused(errc::kTypeMismatch)},
        {pattern, false, read(Text(u"0")), refused(errc::kTypeMismatch)},
        {color, Text(u"2147483648"), refused(errc::kOverflow), refused(errc::kTypeMismatch)},
        {color, Text(u"banana"), refused(errc::kTypeMismatch), refused(errc::kTypeMismatch)},
        {flag, Text(u"banana"), refused(errc::kTypeMismatch), refused(errc::kTypeMismatch)},
        // Automation's other forms of a number; -5 names no colour.
        {color, Text(u"&H10"), read(16), refused(errc::kTypeMismatch)},
        {color, Text(u"&HFF"), read(255), refused(errc::kTypeMismatch)},
        {color, Text(u"&H80000012"), read(static_cast<std::int32_t>(0x80000012)), refused(errc::kTypeMismatch)},
        {color, Text(u"&H100000000"), refused(errc::kOverflow), refused(errc::kTypeMismatch)},
        {color, Text(u"&O17"), read(15), refused(errc::kTypeMismatch)},
        {color, Text(u"1,000"), read(1000), refused(errc::kTypeMismatch)},
        {color, Text(u"$5"), read(5), refused(errc::kTypeMismatch)},
        {color, Text(u"(5)"), refused(errc::kInvalidPropertyValue), refused(errc::kTypeMismatch)},
        {color, Text(u"5-"), refused(errc::kInvalidPropertyValue), refused(errc::kTypeMismatch)},
        {color, Text(u"(2147483630)"), read(static_cast<std::int32_t>(0x80000012)), refused(errc::kTypeMismatch)},
        {color, Text(u"1e"), refused(errc::kTypeMismatch), refused(errc::kTypeMismatch)},
        // Below 1, Wine rounds on the first digit it keeps (here the 6) rather than on the tenths.
        {color, Text(u"0.06"), TypeParam::UnderWine() ? read(1) : read(0), refused(errc::kTypeMismatch)},
        {flag, Text(u"#TRUE#"), read(true), refused(errc::kTypeMismatch)},
        {flag, Text(u" True"), refused(errc::kTypeMismatch), refused(errc::kTypeMismatch)},
        {color, 2.5, read(2), std::nullopt},
        {color, 3.5, read(4), std::nullopt},
        {color, 3e9, refused(errc::kOverflow), std::nullopt},
        {flag, 0.5, read(true), std::nullopt},
        {pattern, 1.5, read(Text(u"1.5")), std::nullopt},
    };
    for (const auto& each : cases) {
        const std::pair<Store, std::optional<Expected>> stores[] = {{Store::kHostBag, each.bag},
                                                                    {Store::kSettingsRecord, each.record}};
        for (const auto& [store, expected] : stores) {
            if (!expected) continue;
            SCOPED_TRACE(::testing::Message() << (store == Store::kHostBag ? "bag, " : "record, ")
                                              << ::testing::PrintToString(std::u16string(each.key.name)) << " from "
                                              << ::testing::PrintToString(each.stored));
            Reloaded reloaded;
            ASSERT_NO_FATAL_FAILURE(reloaded = this->world.Reload(store, each.key, each.stored));
            if (reloaded.error) {
                EXPECT_EQ(*reloaded.error, expected->error);
            }
            host::StoredValue saved = expected->value;
            if (expected->error != 0) {
                switch (each.key.kind) {
                case host::ValueKind::kColor:
                case host::ValueKind::kNumber: saved = each.key.default_number; break;
                case host::ValueKind::kTruth: saved = each.key.default_number != 0; break;
                case host::ValueKind::kText: saved = Text(each.key.default_text); break;
                }
            }
            EXPECT_EQ(reloaded.saved, std::optional<host::StoredValue>(saved));
        }
    }
}

// A form reports its handle before it shows, and only its buttons' clicks: a label takes none.
TYPED_TEST_P(ServicesContract, AFormReportsItsButtonsClicksUntilItIsUnloaded) {
    using host::form::Kind;
    const host::form::Design design{u"Contract",
                                    3000,
                                    1500,
                                    {{u"Label1", Kind::kLabel, 120, 120, 2000, 300, 0, u"A label", {}, {}},
                                     {u"Command1", Kind::kCommandButton, 120, 600, 1200, 400, 1, u"One", {}, {}},
                                     {u"Command2", Kind::kCommandButton, 1500, 600, 1200, 400, 2, u"Two", {}, {}}}};
    FormClicks clicks(u"Command2");
    std::unique_ptr<host::Form> form = this->world.forms().Create(design, clicks);
    std::unique_ptr<host::Form> other = this->world.forms().Create(design, clicks);
    ASSERT_NE(form, nullptr);
    EXPECT_NE(form->Handle(), 0u);
    EXPECT_NE(form->Handle(), other->Handle());
    other.reset();
    clicks.form = form.get();
    ASSERT_NO_FATAL_FAILURE(this->world.ClickWhileShown(*form, design, {u"Label1", u"Command1", u"Command2"}));
    EXPECT_EQ(clicks.seen, (Names{u"Command1", u"Command2"}));
}

// The shell makes each probe page under a name of its own, names the program for a page that
// exists and none for one that is gone.
TYPED_TEST_P(ServicesContract, TheShellMakesPagesOfTheirOwnAndFindsTheirProgramWhileTheyExist) {
    host::Shell& shell = this->world.shell();
    Names pages;
    for (int i = 0; i < 12; ++i) pages.push_back(shell.CreateTemporaryFile(u".HTM", "<html></html>"));
    Names distinct = pages;
    std::sort(distinct.begin(), distinct.end());
    EXPECT_EQ(std::unique(distinct.begin(), distinct.end()), distinct.end()) << "no name given twice";
    const std::u16string& page = pages.front();
    EXPECT_EQ(page.substr(1, 2), u":\\") << "a full path";
    EXPECT_EQ(page.substr(page.size() - 4), u".HTM");
    const std::u16string program = shell.FindAssociatedProgram(page);
    ASSERT_GT(program.size(), 4u);
    EXPECT_EQ(this->world.locale().ToLower(program.substr(program.size() - 4)), u".exe");
    for (const std::u16string& each : pages) shell.DeleteTemporaryFile(each);
    EXPECT_EQ(shell.FindAssociatedProgram(page), u"");
    EXPECT_EQ(ErrorOf([&] { shell.DeleteTemporaryFile(page); }), errc::kFileNotFound);
}

REGISTER_TYPED_TEST_SUITE_P(ServicesContract, TheLocaleWritesDatesTimesNumbersAndCaseAsTheUnitedStatesDo,
                            TheStoresReadBackTheSameValuesAndRefuseTheSameOnes,
                            AFormReportsItsButtonsClicksUntilItIsUnloaded,
                            TheShellMakesPagesOfTheirOwnAndFindsTheirProgramWhileTheyExist);

}  // namespace selvane::testing
