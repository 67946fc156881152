// The in-memory host: the behaviours the logic's own tests lean on.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/error.h"
#include "memory/memory_collation.h"
#include "memory/memory_controls.h"
#include "memory/memory_file_system.h"
#include "memory/memory_property_bag.h"
#include "memory/memory_site.h"
#include "memory/memory_surface.h"
#include "tests/common/host_checks.h"

namespace selvane::memory {
namespace {

using Names = std::vector<std::u16string>;
using RecordingEvents = testing::ChildEventLog;
using testing::ErrorOf;
using testing::Matches;

std::u16string Widen(const std::string& text) { return std::u16string(text.begin(), text.end()); }

class MemoryFileSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs.AddLocalDrive(u'c');
        fs.AddFile(u"c:\\docs\\README");
        fs.AddFile(u"c:\\docs\\Notes.TXT");
        fs.AddFile(u"c:\\docs\\a1.txt");
        fs.AddFile(u"c:\\docs\\a22.txt");
        fs.AddFile(u"c:\\docs\\secret.txt", 0, {}, attr::kHidden);
        fs.AddFile(u"c:\\docs\\boot.sys", 0, {}, attr::kSystem | attr::kHidden);
        fs.AddDirectory(u"c:\\docs\\Sub");
    }
    MemoryFileSystem fs;
};

// Matching, the attribute mask, relative paths and the errors of missing places are the host
// contract's (tests/common/host_contract.h); what follows is this host's own.

TEST_F(MemoryFileSystemTest, StarDotStarAlsoMatchesFilesWithoutADot) {
    EXPECT_EQ(Matches(fs, u"c:\\docs\\*.*"), (Names{u"Notes.TXT", u"README", u"a1.txt", u"a22.txt"}));
    EXPECT_EQ(Matches(fs, u"c:\\docs\\a??.txt"), (Names{u"a22.txt"}));
}

TEST_F(MemoryFileSystemTest, EntriesComeUnsortedSoThatListsMustSortThem) {
    Names names;
    fs.Enumerate(u"c:\\docs\\a*", 0, [&](const std::u16string& name) {
        names.push_back(name);
        return true;
    });
    ASSERT_EQ(names.size(), 2u);
    EXPECT_FALSE(std::is_sorted(names.begin(), names.end()));
}

TEST_F(MemoryFileSystemTest, EachEnumerationIsCountedOnceWhereverItStops) {
    int calls = 0;
    fs.Enumerate(u"c:\\docs\\*.*", 0, [&](const std::u16string&) { return ++calls < 2; });
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(fs.enumerations(), 1);
}

// Drives and missing places

TEST_F(MemoryFileSystemTest, UnreadableDrivesFailAndMissingPlacesMatchNothing) {
    fs.AddRemovableDrive(u'a');
    fs.AddNetworkDrive(u'x', u"\\\\fs1\\pub", false);
    EXPECT_EQ(ErrorOf([&] { Matches(fs, u"x:\\*.*"); }), errc::kDeviceUnavailable);
    EXPECT_EQ(ErrorOf([&] { Matches(fs, u"a:\\*.*"); }), errc::kDiskNotReady);
    EXPECT_EQ(ErrorOf([&] { fs.Stat(u"a:\\x.txt").length; }), errc::kDiskNotReady);
    EXPECT_EQ(ErrorOf([&] { Matches(fs, u"\\\\fs1\\pub\\*.*"); }), errc::kBadFileName) << "network paths aren't modelled";
    EXPECT_EQ(Matches(fs, u"q:\\*.*"), Names{});
    EXPECT_EQ(Matches(fs, u"c:\\nowhere\\*.*"), Names{});
    EXPECT_FALSE(fs.IsDirectory(u"a:\\"));
    fs.SetReady(u'a', true);
    EXPECT_EQ(Matches(fs, u"a:\\*.*"), Names{});
    EXPECT_TRUE(fs.IsDirectory(u"a:\\"));
}

TEST_F(MemoryFileSystemTest, TheCurrentFolderStartsAtTheFirstLocalDrivesRoot) {
    fs.AddRemovableDrive(u'a', true);
    EXPECT_EQ(fs.CurrentFolder(), u"C:\\");
    EXPECT_EQ(Matches(fs, u"docs\\*.txt"), (Names{u"Notes.TXT", u"a1.txt", u"a22.txt"}));
    fs.SetCurrentFolder(u"c:\\docs\\sub");
    EXPECT_EQ(fs.Stat(u"..\\a1.txt").length, 0u);
    EXPECT_THROW(fs.SetCurrentFolder(u"docs"), std::invalid_argument);
    EXPECT_EQ(MemoryFileSystem().CurrentFolder(), u"") << "no drive, no current folder";
}

TEST_F(MemoryFileSystemTest, FilesOfAnySize) {
    fs.AddFile(u"c:\\big.bin", 5000000000ull, {2001, 2, 3, 4, 5, 6});
    EXPECT_EQ(fs.Stat(u"C:\\BIG.bin").length, 5000000000ull);
    EXPECT_EQ(fs.Stat(u"c:\\big.bin").modified.value().year, 2001);
}

TEST_F(MemoryFileSystemTest, RemovedDirectoryTakesItsContentsWithIt) {
    fs.Remove(u"c:\\DOCS");
    fs.Remove(u"c:\\docs\\README");
    EXPECT_FALSE(fs.IsDirectory(u"c:\\docs"));
    fs.AddDirectory(u"c:\\docs");
    EXPECT_EQ(Matches(fs, u"c:\\docs\\*.*"), Names{});
}

TEST_F(MemoryFileSystemTest, ResolveDirectoryGivesTheFullPathInTheStoredCase) {
    fs.AddDirectory(u"c:\\docs\\Hidden", attr::kHidden);
    EXPECT_EQ(fs.ResolveDirectory(u"C:\\DOCS\\\\.\\sub\\..\\Sub\\"), u"C:\\docs\\Sub");
    EXPECT_EQ(fs.ResolveDirectory(u"c:\\docs\\.."), u"C:\\");
    EXPECT_EQ(fs.ResolveDirectory(u"c:/docs/hidden"), u"C:\\docs\\Hidden");
    EXPECT_EQ(fs.ResolveDirectory(u"docs"), u"C:\\docs") << "from the current folder";
    EXPECT_EQ(ErrorOf([&] { fs.ResolveDirectory(u"c:\\docs\\README"); }), errc::kPathNotFound);
    EXPECT_EQ(ErrorOf([&] { fs.ResolveDirectory(u"q:\\"); }), errc::kPathNotFound);
    EXPECT_EQ(ErrorOf([&] { fs.ResolveDirectory(u"c:\\do?s"); }), errc::kBadFileName);
    EXPECT_EQ(fs.Subdirectories(u"c:\\docs"), Names{u"Sub"});
}

TEST(MemoryFileSystemDrives, EntriesShowLabelsAndSharesButNeverARemovableLabel) {
    MemoryFileSystem fs;
    fs.AddNetworkDrive(u'X', u"\\\\fs1\\pub");
    fs.AddLocalDrive(u'd');
    fs.AddLocalDrive(u'c', u"SYSTEM");
    fs.AddRemovableDrive(u'a', true);
    Names texts;
    for (const host::DriveEntry& entry : fs.DriveEntries()) texts.push_back(entry.Text());
    EXPECT_EQ(texts, (Names{u"a:", u"c: [SYSTEM]", u"d:", u"x: [\\\\fs1\\pub]"}));
    EXPECT_TRUE(fs.HasDrive(u'x'));
    EXPECT_FALSE(fs.HasDrive(u'b'));
}

TEST(MemoryFileSystemScale, HundredThousandFilesInOneDirectory) {
    MemoryFileSystem fs;
    fs.AddLocalDrive(u'c');
    for (int i = 0; i < 100000; ++i) fs.AddFile(u"c:\\many\\f" + Widen(std::to_string(i)));
    EXPECT_EQ(Matches(fs, u"c:\\many\\*.*").size(), 100000u);
    EXPECT_TRUE(fs.IsDirectory(u"c:\\MANY"));
    EXPECT_EQ(ErrorOf([&] { fs.Stat(u"c:\\many\\F100000").length; }), errc::kFileNotFound);
}

// Children

class MemoryChildrenTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs.AddLocalDrive(u'c');
        fs.AddRemovableDrive(u'a');
        fs.AddDirectory(u"c:\\Windows\\System");
        fs.AddDirectory(u"c:\\Temp");
        fs.AddDirectory(u"c:\\Windows\\Secret", attr::kHidden);
        surface = std::make_unique<MemorySurface>(fs, u'c', u"c:\\windows");
        surface->Connect(&events);
    }
    MemoryFileSystem fs;
    std::unique_ptr<MemorySurface> surface;
    RecordingEvents events;
};

// The forms of path, the case shown and the errors are the host contract's.
TEST_F(MemoryChildrenTest, DirListStartsWhereItCanAndRefusesWhatItDoesNotModel) {
    MemoryDirList& dir = surface->Dir1();
    EXPECT_EQ(dir.Path(), u"C:\\Windows");
    EXPECT_EQ(MemoryDirList(fs, u"c:\\gone").Path(), u"C:\\") << "as the system's list, the first fixed disk";
    EXPECT_EQ(ErrorOf([&] { dir.SetPath(paths::Parse(u"a:")); }), errc::kDiskNotReady);
    EXPECT_EQ(ErrorOf([&] { dir.SetPath(paths::Parse(u"\\\\fs1\\pub")); }), errc::kPathNotFound);
    EXPECT_EQ(dir.Path(), u"C:\\Windows");
    EXPECT_TRUE(events.seen.empty());
    EXPECT_THROW(dir.UserOpen(u"Secret"), std::invalid_argument);
    dir.UserOpen(u"system");
    EXPECT_EQ(dir.Path(), u"C:\\Windows\\System");
}

TEST_F(MemoryChildrenTest, DriveListSelectsADriveNotReady) {
    MemoryDriveList& drive = surface->Drive1();
    EXPECT_EQ(drive.Drive(), u"c:");
    drive.SetDrive(u"A");
    EXPECT_EQ(drive.Drive(), u"a:");
    EXPECT_EQ(events.seen, std::vector<std::string>{"Drive1"});
}

TEST_F(MemoryChildrenTest, TextBoxRaisesChangeOnlyWhenTheTextDiffers) {
    MemoryTextBox& text = surface->Text1();
    EXPECT_EQ(text.Text(), u"*.*");
    text.SetText(u"*.*");
    EXPECT_TRUE(events.seen.empty());
    text.SetText(u"*.TXT");
    text.SetText(u"*.txt");
    text.UserClear();
    text.UserClear();
    text.UserType(u"ab");
    EXPECT_EQ(text.Text(), u"ab");
    EXPECT_EQ(events.seen.size(), 5u);
}

TEST_F(MemoryChildrenTest, ListClicksSelectAndReplacingClearsTheSelection) {
    MemoryListBox& list = surface->List1();
    list.Replace({u"zeta", u"Beta", u"\u00C9clair", u"alpha", u"Gamma", u"BETA", u"delta", u"\u00E9clair"}, 40);
    EXPECT_EQ(list.entries(), (Names{u"alpha", u"BETA", u"Beta", u"delta", u"\u00E9clair", u"\u00C9clair", u"Gamma",
                                     u"zeta"}));
    list.UserDoubleClick(2);
    EXPECT_EQ(list.Text(), u"Beta");
    EXPECT_EQ(events.seen, (std::vector<std::string>{"List1Click", "List1DblClick"}));
    list.Replace({u"omega"}, 30);
    EXPECT_EQ(list.SelCount(), 0);
    EXPECT_EQ(list.entries(), Names{u"omega"});
    EXPECT_EQ(list.horizontal_extent(), 30);
}

TEST_F(MemoryChildrenTest, LargeDescendingFillComesOutAscending) {
    Names names;
    for (int i = 99999; i >= 0; --i) {
        names.push_back(Widen(std::to_string(100000 + i)));
    }
    MemoryListBox& list = surface->List1();
    list.Replace(names, 0);
    EXPECT_TRUE(std::is_sorted(list.entries().begin(), list.entries().end()));
    EXPECT_EQ(list.ListCount(), 100000);
}

TEST_F(MemoryChildrenTest, InjectedFailureHitsOnlyThatMemberUntilCleared) {
    MemoryLabel& label = surface->Label1();
    label.Fail(u"Caption");
    EXPECT_EQ(ErrorOf([&] { label.SetCaption(u"x"); }), errc::kInvalidPropertyValue);
    EXPECT_EQ(ErrorOf([&] { label.Caption(); }), errc::kInvalidPropertyValue);
    label.SetFontBold(kTrue);
    EXPECT_EQ(surface->Label2().FontBold(), kFalse);
    label.Fail(u"Caption", false);
    label.SetCaption(u"x");
    EXPECT_EQ(label.Caption(), u"x");
}

TEST_F(MemoryChildrenTest, SurfaceStopsEventsWhenDisconnected) {
    ASSERT_EQ(surface->ControlCount(), 7);
    EXPECT_EQ(surface->Control(0).Name(), u"Command1");
    EXPECT_EQ(surface->Control(6).Name(), u"Label1");
    surface->Command1().UserPress();
    surface->Connect(nullptr);
    surface->Command1().UserPress();
    EXPECT_EQ(events.seen, std::vector<std::string>{"Command1"});
}

// Property bag (what it reads its values as, the host contract checks against Windows)

TEST(MemoryPropertyBagTest, WritingTheDefaultLeavesTheKeyOutUnlessKept) {
    MemoryPropertyBag bag;
    bag.Set(u"Pattern", std::u16string(u"*.txt"));
    bag.WriteString(u"PATTERN", u"*.*", u"*.*");
    bag.WriteBool(u"Bold", 1, kTrue);
    EXPECT_EQ(bag.size(), 0u);
    bag.keep_defaults = true;
    bag.WriteInt32(u"Color", 0, 0);
    EXPECT_TRUE(bag.Has(u"color"));
    EXPECT_EQ(bag.writes, (Names{u"PATTERN", u"Bold", u"Color"}));
}

}  // namespace
}  // namespace selvane::memory

// Explorer's comparison as the system makes it: runs of digits by value, however long, leading
// zeros ignored; a digit before anything else; the rest one unit at a time, case ignored.
TEST(MemoryCollation, NumbersAsNumbers) {
    const std::pair<const char16_t*, const char16_t*> ascending[] = {
        {u"file2", u"file10"}, {u"File3", u"file10"}, {u"x9", u"X09a"},   {u"2x", u"x"},
        {u"a1", u"a_"},        {u"file", u"file1"},   {u"a007b2", u"a7b10"}, {u"a2", u"b1"},
        {u"99999999999999999999", u"100000000000000000000"}, {u"ete1", u"\u00e9t\u00e91"}};
    for (const auto& [a, b] : ascending) {
        EXPECT_LT(selvane::memory::CompareNumbersAsNumbers(a, b), 0) << ::testing::PrintToString(std::u16string(a));
        EXPECT_GT(selvane::memory::CompareNumbersAsNumbers(b, a), 0) << ::testing::PrintToString(std::u16string(b));
    }
    EXPECT_EQ(selvane::memory::CompareNumbersAsNumbers(u"a01b", u"A1b"), 0);
}
