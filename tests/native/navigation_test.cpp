// Drive, directory and pattern changes, the file listing, and choosing a file.
#include <tuple>

#include "control_fixture.h"

#include "navigation/file_info.h"
#include "navigation/list_view.h"
#include "navigation/listing.h"
#include "navigation/pace.h"

namespace selvane::testing {
namespace {

using NavigationTest = ControlTest;

TEST_F(NavigationTest, StartUpListsTheDirectoryShownEvenWhenTheDriveListAlreadyShowsC) {
    CreateNew(u'c', u"c:\\data");
    EXPECT_EQ(Dir(), u"C:\\data");
    EXPECT_EQ(Files(), (Names{u"A.TXT", u"b.txt", u"report.txt"}));
    EXPECT_EQ(FilesLabel(), u"3 files");
}

TEST_F(NavigationTest, StartUpOnAnotherDriveMovesToTheRootOfCAndListsItOnce) {
    Create(u'd', u"d:\\docs");
    const int before = fs.enumerations();
    control->Initialize();
    EXPECT_EQ(Drive(), u"c: [system]");
    EXPECT_EQ(Dir(), u"C:\\");
    EXPECT_EQ(Files(), (Names{u"autoexec.bat"}));
    EXPECT_EQ(FilesLabel(), u"1 file");
    EXPECT_EQ(fs.enumerations() - before, 1);
}

TEST_F(NavigationTest, ListingIsSortedAndCountedAndLeavesNothingChosen) {
    CreateNew();
    surface->Dir1().UserOpen(u"c:\\data");
    ClickFile(u"b.txt");
    ASSERT_FALSE(InfoLabel().empty());

    control->RefreshFiles();
    EXPECT_EQ(Files(), (Names{u"A.TXT", u"b.txt", u"report.txt"}));
    EXPECT_EQ(FilesLabel(), u"3 files");
    EXPECT_EQ(surface->List1().tool_tip(), u" Select File ");
    EXPECT_EQ(surface->List1().selected_index(), -1);
    EXPECT_EQ(InfoLabel(), u"");
    EXPECT_EQ(control->FileSelected(), kFalse);
}

TEST_F(NavigationTest, PatternEditsListAgainKeystrokeByKeystroke) {
    CreateNew();
    surface->Dir1().UserOpen(u"c:\\data");
    surface->Text1().UserClear();
    EXPECT_EQ(Files().size(), 3u) << "an empty pattern lists every file";

    surface->Text1().UserType(u"r");
    EXPECT_EQ(Files(), (Names{}));
    EXPECT_EQ(FilesLabel(), u"");
    EXPECT_EQ(surface->List1().tool_tip(), u"");
    EXPECT_EQ(surface->List1().horizontal_extent(), 25);

    surface->Text1().UserType(u"*");
    EXPECT_EQ(Files(), (Names{u"report.txt"}));
    EXPECT_EQ(control->FileType(), u"r*");

    surface->Text1().UserReplace(u"?.txt");
    EXPECT_EQ(Files(), (Names{u"A.TXT", u"b.txt"}));
}

TEST_F(NavigationTest, AllButtonRestoresTheFullPatternAndListsOnlyWhenItChanges) {
    CreateNew();
    surface->Dir1().UserOpen(u"c:\\data");
    surface->Text1().UserReplace(u"*.bat");
    ASSERT_TRUE(Files().empty());

    surface->Command1().UserPress();
    EXPECT_EQ(control->FileType(), u"*.*");
    EXPECT_EQ(Files().size(), 3u);

    const int before = fs.enumerations();
    surface->Command1().UserPress();
    EXPECT_EQ(fs.enumerations(), before);
}

TEST_F(NavigationTest, PatternsReachingIntoOtherDirectoriesListNothing) {
    CreateNew();
    surface->Dir1().UserOpen(u"c:\\data\\sub");
    for (const std::u16string pattern : {u"..\\*.txt", u"..\\report.txt", u"c:*.*", u"../*.*", u"c:\\data\\*.*"}) {
        surface->Text1().UserReplace(pattern);
        EXPECT_TRUE(Files().empty());
        EXPECT_EQ(FilesLabel(), u"");
    }
}

// Each of these would list something if it reached the file system: the parent folder's files
// through either separator, or the device the system finds under a DOS device name in any folder
// ("nul:"). A pattern lists the shown folder only.
TEST_F(NavigationTest, APatternWithEitherSeparatorOrAColonListsNothing) {
    CreateNew();
    surface->Dir1().UserOpen(u"c:\\data\\sub");
    for (const std::u16string pattern : {u"..\\*.txt", u"../*.txt", u"nul:"}) {
        SCOPED_TRACE(::testing::PrintToString(pattern));
        control->SetFileType(pattern);
        EXPECT_EQ(control->FileType(), pattern);
        EXPECT_EQ(Files(), Names{});
        EXPECT_EQ(FilesLabel(), u"");
    }
    // Without its colon the device's name is a plain pattern, listed as the system lists it.
    control->SetFileType(u"nul");
    EXPECT_EQ(Files(), Names{u"nul"});
}

// Several patterns in one text, separated by ";", as the system's file dialogs take them.
class SeveralPatternsTest : public ControlTest {
protected:
    // c:\data holds A.TXT, b.txt, notes.log, read.me and report.txt.
    void SetUp() override {
        fs.AddFile(u"c:\\data\\notes.log", 1);
        fs.AddFile(u"c:\\data\\read.me", 1);
        CreateNew();
        surface->Dir1().UserOpen(u"c:\\data");
    }
};

TEST_F(SeveralPatternsTest, TypedPatternsListTheUnionOfTheirMatches) {
    surface->Text1().UserReplace(u"*.txt");
    ASSERT_EQ(Files(), (Names{u"A.TXT", u"b.txt", u"report.txt"}));

    surface->Text1().UserType(u";");
    EXPECT_EQ(Files(), (Names{u"A.TXT", u"b.txt", u"report.txt"})) << "a trailing separator adds nothing";
    surface->Text1().UserType(u"*.log");
    EXPECT_EQ(Files(), (Names{u"A.TXT", u"b.txt", u"notes.log", u"report.txt"}));
    EXPECT_EQ(FilesLabel(), u"4 files");
    EXPECT_EQ(surface->List1().tool_tip(), u" Select File ");
    EXPECT_EQ(control->FileType(), u"*.txt;*.log");
}

TEST_F(SeveralPatternsTest, AFileSeveralPatternsMatchIsListedOnceAfterOneEnumerationEach) {
    int before = fs.enumerations();
    control->SetFileType(u"*.txt;r*;*.TXT");
    EXPECT_EQ(Files(), (Names{u"A.TXT", u"b.txt", u"read.me", u"report.txt"}));
    EXPECT_EQ(FilesLabel(), u"4 files");
    EXPECT_EQ(fs.enumerations() - before, 3);

    before = fs.enumerations();
    control->SetFileType(u"r*;r*; r*");
    EXPECT_EQ(Files(), (Names{u"read.me", u"report.txt"}));
    EXPECT_EQ(FilesLabel(), u"2 files");
    EXPECT_EQ(fs.enumerations() - before, 1) << "a pattern repeated is listed once";
}

TEST_F(SeveralPatternsTest, BlanksAroundPatternsAndEmptyPatternsAreIgnored) {
    control->SetFileType(u" *.log ; ;\tr* ;");
    EXPECT_EQ(Files(), (Names{u"notes.log", u"read.me", u"report.txt"}));
    EXPECT_EQ(FilesLabel(), u"3 files");
    EXPECT_EQ(control->FileType(), u" *.log ; ;\tr* ;") << "kept as typed";

    // Nothing but blanks and separators lists what the empty pattern lists: every file.
    control->SetFileType(u"");
    const Names every = Files();
    ASSERT_EQ(every.size(), 5u);
    for (const std::u16string text : {u";", u" ; ;", u";;\t"}) {
        SCOPED_TRACE(::testing::PrintToString(text));
        control->SetFileType(text);
        EXPECT_EQ(Files(), every);
        EXPECT_EQ(FilesLabel(), u"5 files");
    }

    // Without a separator the text is the one pattern it always was, blanks and all.
    control->SetFileType(u" r*");
    EXPECT_EQ(Files(), Names{});
}

// The whole text is refused, not only the part: a listing of the other parts would pass for the
// answer to what was typed, and one pattern of that kind lists nothing either.
TEST_F(SeveralPatternsTest, APatternReachingOutsideTheFolderEmptiesTheWholeListing) {
    control->SetFileType(u"*.log;r*");
    ASSERT_EQ(Files().size(), 3u);
    for (const std::u16string text : {u"*.log;r*;..\\*.bat", u"*.log; ../* ;r*", u"nul:;*.log", u"*.log;c:r*"}) {
        SCOPED_TRACE(::testing::PrintToString(text));
        control->SetFileType(text);
        EXPECT_EQ(control->FileType(), text);
        EXPECT_EQ(Files(), Names{});
        EXPECT_EQ(FilesLabel(), u"");
        EXPECT_EQ(surface->List1().tool_tip(), u"");
    }
}

// ";" is a separator now, also where a file's name holds one; "?" stands in for it.
TEST_F(SeveralPatternsTest, ANameHoldingTheSeparatorIsMatchedWithAWildcard) {
    fs.AddFile(u"c:\\data\\x;y.txt", 1);
    control->SetFileType(u"x;y.txt");
    EXPECT_EQ(Files(), Names{}) << "the patterns x and y.txt";
    control->SetFileType(u"x?y.txt");
    EXPECT_EQ(Files(), Names{u"x;y.txt"});
}

TEST_F(SeveralPatternsTest, PatternsAreSavedAsTypedAndListedWhenLoaded) {
    control->SetFileType(u"*.TXT ; r*;");
    memory::MemoryPropertyBag bag;
    control->WriteProperties(bag);
    EXPECT_EQ(bag.Get(u"FileType"), memory::MemoryPropertyBag::Value(std::u16string(u"*.TXT ; r*;")));

    CreateLoaded(bag);
    EXPECT_EQ(Dir(), u"C:\\data");
    EXPECT_EQ(control->FileType(), u"*.TXT ; r*;");
    EXPECT_EQ(Files(), (Names{u"A.TXT", u"b.txt", u"read.me", u"report.txt"}));
    EXPECT_EQ(FilesLabel(), u"4 files");
}

TEST_F(NavigationTest, HiddenFilesFollowShowHiddenFromTheNextListingOn) {
    fs.AddFile(u"c:\\data\\hidden.txt", 1, {}, attr::kHidden);
    fs.AddFile(u"c:\\data\\system.txt", 1, {}, attr::kSystem);
    fs.AddFile(u"c:\\data\\locked.txt", 1, {}, attr::kReadOnly);
    CreateNew();
    surface->Dir1().UserOpen(u"c:\\data");
    EXPECT_EQ(Files(), (Names{u"A.TXT", u"b.txt", u"locked.txt", u"report.txt"}));

    control->SetShowHidden(kTrue);
    EXPECT_EQ(Files().size(), 4u) << "the flag waits for the next listing";
    control->RefreshFiles();
    EXPECT_EQ(Files(), (Names{u"A.TXT", u"b.txt", u"hidden.txt", u"locked.txt", u"report.txt"}));
}

TEST_F(NavigationTest, ChoosingADriveGoesToItsRoot) {
    CreateNew();
    surface->Dir1().UserOpen(u"c:\\data");
    surface->Drive1().UserSelect(u'd');
    EXPECT_EQ(Dir(), u"D:\\");
    EXPECT_TRUE(Files().empty());
    surface->Dir1().UserOpen(u"docs");
    EXPECT_EQ(Files(), (Names{u"readme"}));
}

TEST_F(NavigationTest, ADriveThatCannotBeReadSendsTheListsBackToC) {
    for (char16_t letter : {u'a', u'n'}) {
        CreateNew();
        surface->Dir1().UserOpen(u"c:\\data");
        surface->Drive1().UserSelect(letter);
        EXPECT_EQ(Drive(), u"c: [system]");
        EXPECT_EQ(Dir(), u"C:\\");
        EXPECT_EQ(Files(), (Names{u"autoexec.bat"}));
    }
}

// A folder that can't be listed shows an empty list and says why in the count label, not as an
// empty folder would; the disk's own listing puts the count back, an empty folder's too.
TEST_F(NavigationTest, AFolderThatCannotBeListedSaysWhyInTheCountLabel) {
    for (const char16_t* folder : {u"x:\\docs", u"x:\\team\\a"}) {
        SCOPED_TRACE(folder[3] == u'd' ? "a folder of files" : "an empty folder");
        CreateNew();
        control->SetPath(folder);
        const std::u16string count = FilesLabel();
        fs.SetReady(u'x', false);
        control->RefreshFiles();
        EXPECT_EQ(Files(), Names{});
        EXPECT_EQ(FilesLabel(), u"Device unavailable");
        EXPECT_EQ(surface->List1().tool_tip(), u"");
        fs.SetReady(u'x', true);
        EXPECT_TRUE(surface->CheckWatch());
        EXPECT_EQ(FilesLabel(), count);
    }
}

TEST_F(NavigationTest, FallbackEndsWhenDriveCCannotBeReadEither) {
    memory::MemoryFileSystem floppies;
    floppies.AddRemovableDrive(u'a', false);
    floppies.AddRemovableDrive(u'c', false);
    floppies.AddLocalDrive(u'd');
    memory::MemorySurface small(floppies, u'd', u"d:\\");
    Selvane selvane(host::Host{small, floppies, locale, site, forms, shell});
    selvane.Initialize();
    EXPECT_EQ(small.Drive1().Drive(), u"c:");
    EXPECT_EQ(small.Dir1().Path(), u"D:\\");
    small.Drive1().UserSelect(u'a');
    EXPECT_EQ(small.Drive1().Drive(), u"c:");
    EXPECT_EQ(small.Dir1().Path(), u"D:\\");
}

TEST_F(NavigationTest, RefreshFilesPicksUpChangesOnDisk) {
    CreateNew();
    surface->Dir1().UserOpen(u"c:\\data");
    fs.AddFile(u"c:\\data\\new.txt", 1);
    fs.Remove(u"c:\\data\\b.txt");
    control->RefreshFiles();
    EXPECT_EQ(Files(), (Names{u"A.TXT", u"new.txt", u"report.txt"}));
}

TEST_F(NavigationTest, AFolderOfMoreThanSixteenBitsOfFilesIsListedWhole) {
    // Four letters in base 26 give every file a name of its own: "faaaa.txt", "fbaaa.txt" and on.
    for (int i = 0; i < 100000; ++i) {
        std::u16string name = u"f";
        for (int n = i, digit = 0; digit < 4; ++digit, n /= 26) name += static_cast<char16_t>(u'a' + n % 26);
        fs.AddFile(u"c:\\big\\" + name + u".txt");
    }
    CreateNew();
    surface->Dir1().UserOpen(u"c:\\big");
    EXPECT_EQ(Files().size(), 100000u);
    EXPECT_EQ(FilesLabel(), u"100000 files");
    EXPECT_TRUE(std::is_sorted(Files().begin(), Files().end()));
}

TEST_F(NavigationTest, ScrollExtentFollowsTheListsOwnFont) {
    fs.AddFile(u"c:\\wide\\0123456789", 1);
    fs.AddFile(u"c:\\wide\\short", 1);
    CreateNew();
    surface->Dir1().UserOpen(u"c:\\wide");
    const int design_width = surface->List1().TextWidth(u"0123456789");
    EXPECT_EQ(surface->List1().horizontal_extent(), design_width + 25);

    surface->SetSize(2 * design::kSurfaceWidth, 2 * design::kSurfaceHeight);
    control->Resize();
    control->RefreshFiles();
    const int doubled_width = surface->List1().TextWidth(u"0123456789");
    EXPECT_GT(doubled_width, design_width);
    EXPECT_EQ(surface->List1().horizontal_extent(), doubled_width + 25);
}

TEST(ListingText, CountsAndExtentLimits) {
    EXPECT_EQ(listing::FileCountCaption(0), u"");
    EXPECT_EQ(listing::FileCountCaption(1), u"1 file");
    EXPECT_EQ(listing::FileCountCaption(2), u"2 files");
    EXPECT_EQ(listing::FileCountCaption(1234), u"1234 files");
    EXPECT_EQ(listing::HorizontalExtent(0), 25);
    EXPECT_EQ(listing::HorizontalExtent(32742), 32767);
    EXPECT_EQ(listing::HorizontalExtent(32743), 32743);
    EXPECT_EQ(listing::HorizontalExtent(50000), 32767);
    EXPECT_EQ(listing::FileListTip(0), u"");
    EXPECT_EQ(listing::FileListTip(1), u" Select File ");
}

// The names several patterns list, each file once by its exact name; one pattern's names pass
// as the file system gives them.
TEST(ListingText, AFileSeveralPatternsListIsListedOnceByItsExactName) {
    using Parts = std::vector<std::u16string>;
    const struct {
        std::size_t patterns;
        Parts reported;
        Parts listed;
    } cases[] = {
        {1, {u"a", u"a", u"b"}, {u"a", u"a", u"b"}},
        {2, {u"a", u"b", u"a", u"c"}, {u"a", u"b", u"c"}},
        {3, {u"README", u"readme", u"README"}, {u"README", u"readme"}},
        {2, {}, {}},
    };
    for (const auto& c : cases) {
        listing::ListedNames listed(c.patterns);
        for (const auto& name : c.reported) listed.Add(name);
        EXPECT_EQ(listed.Take(), c.listed) << c.patterns << " patterns";
    }
}

// Old entries a to f, the view on one of them; "x" marks those the new list still holds.
TEST(ListView, TheViewStaysOnItsEntryOrTheNearestStayingOneBelowThenAbove) {
    const struct {
        std::size_t index;
        const char* staying;
        std::optional<std::size_t> kept;
    } cases[] = {
        {2, "xxxxxx", 2}, {2, "xx.xxx", 3}, {2, "xx...x", 5}, {2, "x.....", 0}, {5, "xxx...", 2},
        {0, "......", std::nullopt}, {6, "xxxxxx", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.staying) + " at " + std::to_string(c.index));
        EXPECT_EQ(list_view::NearestStaying(c.index, 6, [&](std::size_t i) { return c.staying[i] == 'x'; }), c.kept);
    }
}

TEST(ListingText, PatternTextsSplitAtSeparatorsOnly) {
    using Parts = std::vector<std::u16string>;
    EXPECT_EQ(listing::PatternParts(u"*.txt"), Parts{u"*.txt"});
    EXPECT_EQ(listing::PatternParts(u" *.txt "), Parts{u" *.txt "}) << "one pattern goes on as typed";
    EXPECT_EQ(listing::PatternParts(u""), Parts{u""});
    EXPECT_EQ(listing::PatternParts(u"*.txt;*.log"), (Parts{u"*.txt", u"*.log"}));
    EXPECT_EQ(listing::PatternParts(u" *.txt ;\t; ;*.log;"), (Parts{u"*.txt", u"*.log"}));
    EXPECT_EQ(listing::PatternParts(u"my file ; a"), (Parts{u"my file", u"a"})) << "blanks inside stay";
    EXPECT_EQ(listing::PatternParts(u"*.txt;*.TXT;*.txt"), (Parts{u"*.txt", u"*.TXT"}));
    EXPECT_EQ(listing::PatternParts(u" ; ;"), Parts{u""});
    EXPECT_EQ(listing::PatternParts(u";"), Parts{u""});
    EXPECT_EQ(listing::PatternParts(u"*.txt;..\\*.txt"), Parts{}) << "one part reaching out refuses the text";
    EXPECT_EQ(listing::PatternParts(u"sub/*.txt"), Parts{});
    EXPECT_EQ(listing::PatternParts(u"d:*.txt"), Parts{});
}

TEST_F(NavigationTest, ClickShowsTheFilesDetailsBeforeTellingTheHost) {
    CreateNew();
    surface->Dir1().UserOpen(u"c:\\data");
    std::u16string label_during_click;
    site.on_click = [&] { label_during_click = InfoLabel(); };
    ClickFile(u"report.txt");
    EXPECT_EQ(InfoLabel(), u"2/9/2003 10:15:32 AM  2,500");
    EXPECT_EQ(label_during_click, InfoLabel());
    EXPECT_EQ(site.events, (Names{u"Click"}));
}

TEST_F(NavigationTest, SizesAndTimesAreShownInFull) {
    fs.AddFile(u"c:\\autoexec.bat", 0, LocalTime{2024, 12, 31, 0, 0, 0});
    fs.AddFile(u"c:\\999.txt", 999, LocalTime{2024, 1, 5, 23, 59, 59});
    fs.AddFile(u"c:\\1000.txt", 1000, LocalTime{2024, 1, 5, 12, 0, 0});
    fs.AddFile(u"c:\\huge.iso", 3000000000ull, LocalTime{2024, 1, 5, 0, 0, 1});
    CreateNew();
    ClickFile(u"autoexec.bat");
    EXPECT_EQ(InfoLabel(), u"12/31/2024  0") << "midnight shows the date alone";
    ClickFile(u"999.txt");
    EXPECT_EQ(InfoLabel(), u"1/5/2024 11:59:59 PM  999");
    ClickFile(u"1000.txt");
    EXPECT_EQ(InfoLabel(), u"1/5/2024 12:00:00 PM  1,000");
    ClickFile(u"huge.iso");
    EXPECT_EQ(InfoLabel(), u"1/5/2024 12:00:01 AM  3,000,000,000");
}

TEST_F(NavigationTest, AFileGoneSinceTheListingClearsTheDetailsAndStillClicks) {
    CreateNew();
    surface->Dir1().UserOpen(u"c:\\data");
    ClickFile(u"b.txt");
    ASSERT_FALSE(InfoLabel().empty());
    fs.Remove(u"c:\\data\\report.txt");
    ClickFile(u"report.txt");
    EXPECT_EQ(InfoLabel(), u"");
    EXPECT_EQ(site.events, (Names{u"Click", u"Click"}));
}

TEST_F(NavigationTest, DoubleClickRaisesClickThenDblClick) {
    CreateNew();
    surface->Dir1().UserOpen(u"c:\\data");
    ClickFile(u"b.txt", true);
    EXPECT_EQ(site.events, (Names{u"Click", u"DblClick"}));
}

TEST_F(NavigationTest, HostMayCallBackFromItsClickHandler) {
    CreateNew();
    surface->Dir1().UserOpen(u"c:\\data");
    std::u16string chosen;
    site.on_click = [&] {
        chosen = control->GetPath();
        control->SetPath(u"d:\\docs");
    };
    ClickFile(u"report.txt");
    EXPECT_EQ(chosen, u"C:\\data\\report.txt");
    EXPECT_EQ(Dir(), u"D:\\docs");
    EXPECT_EQ(Files(), (Names{u"readme"}));
}

TEST(FileInfoText, DigitsGroupInThrees) {
    EXPECT_EQ(file_info::GroupDigits(0, u","), u"0");
    EXPECT_EQ(file_info::GroupDigits(100, u","), u"100");
    EXPECT_EQ(file_info::GroupDigits(1234567, u"."), u"1.234.567");
    EXPECT_EQ(file_info::GroupDigits(18446744073709551615ull, u","), u"18,446,744,073,709,551,615");
}

// The pace of listings for changes at any uptime, the old 32-bit tick's wraps included: a wait
// is never longer than the rule asks, and nothing waits before the first listing set it.
TEST(Pace, ListingsChecksAndActionsKeepTheirPaceAtAnyUptime) {
    for (const std::uint64_t now : {0ull, 0x7FFFFFFFull, 0x80000001ull, 3000000000ull, 0xFFFFFFF0ull, 0x1'0000'0010ull}) {
        SCOPED_TRACE(now);
        EXPECT_EQ(pace::QuietLeft(0, now), 0u) << "before any listing";
        const std::uint64_t until = pace::QuietUntil(now, now + 100);
        EXPECT_EQ(pace::QuietLeft(until, now + 100), 300u);
        EXPECT_EQ(pace::QuietLeft(until, now + 350), 50u);
        EXPECT_EQ(pace::QuietLeft(until, now + 400), 0u);
        EXPECT_EQ(pace::QuietLeft(until, now + 0x90000000ull), 0u);
    }
    // The watch's checks: while they are quick, each second for a lost watch and each ten for a
    // live one; four times the last one on a slow drive, half a minute at most however long the
    // last one took.
    const std::tuple<std::uint64_t, std::uint64_t, std::uint64_t> checks[] = {
        {0, 1000, 10000},     {250, 1000, 10000},   {400, 1600, 10000},    {2500, 10000, 10000},
        {3000, 12000, 12000}, {7499, 29996, 29996}, {7500, 30000, 30000}, {~0ull, 30000, 30000}};
    for (const auto& [took, lost, live] : checks) {
        EXPECT_EQ(pace::NextCheckAfter(took, false), lost) << took;
        EXPECT_EQ(pace::NextCheckAfter(took, true), live) << took;
    }
    // One action's calls share the deadline: on a drive that answers each call after 1.5 s, the
    // second call has what the first left, and every later one the least there is.
    const std::pair<std::uint64_t, std::uint64_t> allowances[] = {
        {0, 2000}, {1500, 500}, {1799, 201}, {1800, 200}, {2000, 200}, {~0ull, 200}};
    for (const auto& [spent, allowed] : allowances) EXPECT_EQ(pace::SilenceAllowed(spent), allowed) << spent;
}

}  // namespace
}  // namespace selvane::testing
