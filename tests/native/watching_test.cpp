// The lists following the disk: the shown folder watched while the control is shown, its
// changes listed again when the surface's loop gets its turn, and nothing told to the host.
#include "control_fixture.h"

#include <algorithm>
#include <functional>


namespace selvane::testing {
namespace {

class WatchingTest : public ControlTest {
protected:
    // c:\data as a user leaves it: opened, report.txt chosen, its details shown.
    void OpenDataWithReportChosen() {
        CreateNew();
        surface->Dir1().UserOpen(u"c:\\data");
        ClickFile(u"report.txt");
        ASSERT_FALSE(InfoLabel().empty());
        site.events.clear();
        site.notifications.clear();
    }
    // The host heard nothing since the last clear.
    void ExpectNothingRaised(const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
        if (!site.events.empty() || !site.notifications.empty()) {
            ADD_FAILURE_AT(file, line) << site.events.size() << " events and " << site.notifications.size()
                                       << " property changes reached the host";
        }
    }
    std::u16string Selected() { return surface->List1().Text(); }
};

TEST_F(WatchingTest, AFileAddedRemovedOrRenamedIsListedAtTheNextPump) {
    OpenDataWithReportChosen();
    fs.AddFile(u"c:\\data\\new.txt", 5);
    EXPECT_EQ(Files(), (Names{u"A.TXT", u"b.txt", u"report.txt"})) << "nothing moves before the loop's turn";
    EXPECT_TRUE(surface->Pump());
    EXPECT_EQ(Files(), (Names{u"A.TXT", u"b.txt", u"new.txt", u"report.txt"}));
    EXPECT_EQ(FilesLabel(), u"4 files");

    fs.Remove(u"c:\\data\\b.txt");
    EXPECT_TRUE(surface->Pump());
    EXPECT_EQ(Files(), (Names{u"A.TXT", u"new.txt", u"report.txt"}));

    fs.Rename(u"c:\\data\\new.txt", u"c:\\data\\renamed.txt");
    EXPECT_TRUE(surface->Pump());
    EXPECT_EQ(Files(), (Names{u"A.TXT", u"renamed.txt", u"report.txt"}));
    EXPECT_EQ(FilesLabel(), u"3 files");
    ExpectNothingRaised();
}

// A watch lost without a word (its folder renamed away and another made in its place, its drive
// gone and back, the folders above it deleted and made again) is armed again at the surface's
// next check, which lists what it missed; later changes come as before. A listing meanwhile,
// while nothing can be watched, shows what is there.
TEST_F(WatchingTest, ALostWatchIsArmedAgainAtTheNextCheck) {
    fs.AddFile(u"c:\\deep\\a\\b\\one.txt", 1);
    const struct {
        const char* what;
        std::u16string folder;
        std::function<void()> lose;
        Names then;
    } kCases[] = {
        {"renamed away and replaced", u"c:\\data",
         [&] {
             fs.Rename(u"c:\\data", u"c:\\old");
             fs.AddFile(u"c:\\data\\kept.txt", 1);
         },
         {u"kept.txt"}},
        {"its drive gone and back", u"x:\\docs",
         [&] {
             fs.SetReady(u'x', false);
             control->RefreshFiles();
             EXPECT_EQ(Files(), Names{});
             EXPECT_TRUE(surface->CheckWatch());
             fs.SetReady(u'x', true);
         },
         {u"report.txt"}},
        {"the folders above deleted and made again", u"c:\\deep\\a\\b",
         [&] {
             fs.Remove(u"c:\\deep");
             control->RefreshFiles();
             EXPECT_EQ(Files(), Names{});
             fs.AddFile(u"c:\\deep\\a\\b\\one.txt", 1);
             fs.AddFile(u"c:\\deep\\a\\b\\two.txt", 1);
         },
         {u"one.txt", u"two.txt"}},
    };
    for (const auto& lost : kCases) {
        SCOPED_TRACE(lost.what);
        CreateNew();
        control->SetPath(lost.folder);
        ASSERT_FALSE(Files().empty());
        lost.lose();
        EXPECT_TRUE(surface->CheckWatch());
        EXPECT_EQ(Files(), lost.then);
        fs.AddFile(lost.folder + u"\\zz.txt", 1);
        EXPECT_TRUE(surface->Pump());
        Names later = lost.then;
        later.push_back(u"zz.txt");
        EXPECT_EQ(Files(), later);
    }
}

TEST_F(WatchingTest, AListingFromTheDiskMatchesWhatRefreshFilesGivesButKeepsTheChoice) {
    OpenDataWithReportChosen();
    fs.AddFile(u"c:\\data\\zz.txt", 1);
    fs.Remove(u"c:\\data\\A.TXT");
    ASSERT_TRUE(surface->Pump());
    const Names followed = Files();
    const std::u16string count = FilesLabel();
    const int extent = surface->List1().horizontal_extent();
    EXPECT_EQ(control->GetPath(), u"C:\\data\\report.txt");
    EXPECT_EQ(control->FileSelected(), kTrue);

    control->RefreshFiles();
    EXPECT_EQ(Files(), followed);
    EXPECT_EQ(FilesLabel(), count);
    EXPECT_EQ(surface->List1().horizontal_extent(), extent);
    EXPECT_EQ(control->FileSelected(), kFalse) << "RefreshFiles itself still clears the choice";
}

TEST_F(WatchingTest, TheChosenFileStaysChosenWithItsDetailsAndNoClick) {
    OpenDataWithReportChosen();
    const std::u16string details = InfoLabel();
    fs.AddFile(u"c:\\data\\0first.txt", 1);  // sorts before it, so its index moves
    ASSERT_TRUE(surface->Pump());
    EXPECT_EQ(Selected(), u"report.txt");
    EXPECT_EQ(surface->List1().selected_index(), 3) << "one place further down than before";
    EXPECT_EQ(InfoLabel(), details);
    EXPECT_EQ(control->GetPath(), u"C:\\data\\report.txt");
    ExpectNothingRaised();

    // Several chosen stay chosen, the caret on the one clicked last.
    control->SetMultiSelect(2);
    surface->List1().UserClick(0, memory::MemoryListBox::Keys::kCtrl);
    fs.AddFile(u"c:\\data\\00first.txt", 1);
    ASSERT_TRUE(surface->Pump());
    EXPECT_EQ(control->SelectedFiles(), (Names{u"C:\\data\\0first.txt", u"C:\\data\\report.txt"}));
    EXPECT_EQ(control->GetPath(), u"C:\\data\\0first.txt");
}

TEST_F(WatchingTest, AChosenFileThatIsGoneClearsTheChoiceAndItsDetails) {
    OpenDataWithReportChosen();
    fs.Rename(u"c:\\data\\report.txt", u"c:\\data\\report.old");
    ASSERT_TRUE(surface->Pump());
    EXPECT_EQ(Files(), (Names{u"A.TXT", u"b.txt", u"report.old"}));
    EXPECT_EQ(Selected(), u"");
    EXPECT_EQ(InfoLabel(), u"");
    EXPECT_EQ(control->FileSelected(), kFalse);
    ExpectNothingRaised();
}

TEST_F(WatchingTest, ASubFolderAddedOrRemovedRereadsTheDirectoryList) {
    OpenDataWithReportChosen();
    EXPECT_EQ(surface->Dir1().subdirectories(), (Names{u"sub"}));
    fs.AddDirectory(u"c:\\data\\archive");
    EXPECT_EQ(surface->Dir1().subdirectories(), (Names{u"sub"})) << "the list shows what it read";
    ASSERT_TRUE(surface->Pump());
    EXPECT_EQ(surface->Dir1().subdirectories(), (Names{u"archive", u"sub"}));
    EXPECT_EQ(Dir(), u"C:\\data");
    EXPECT_EQ(Selected(), u"report.txt");

    fs.Rename(u"c:\\data\\sub", u"c:\\data\\sub2");
    fs.Remove(u"c:\\data\\archive");
    ASSERT_TRUE(surface->Pump());
    EXPECT_EQ(surface->Dir1().subdirectories(), (Names{u"sub2"}));
    ExpectNothingRaised();
}

// Whether the system tells the watch (removed, moved) or only the check finds it (a folder above
// renamed, the drive gone), the lists go to the nearest folder that is there, and the host hears
// of Path once: no Click. A drive that is there but doesn't answer moves nothing.
TEST_F(WatchingTest, AShownFolderThatIsGoneTakesTheListsToItsNearestParent) {
    const struct {
        const char* what;
        std::u16string shown;
        std::function<void()> change;
        std::u16string then;
    } kCases[] = {
        {"removed with a folder above", u"c:\\data\\sub\\deeper", [&] { fs.Remove(u"c:\\data\\sub"); }, u"C:\\data"},
        {"moved", u"c:\\data\\sub\\deeper", [&] { fs.Rename(u"c:\\data\\sub\\deeper", u"c:\\data\\moved"); },
         u"C:\\data\\sub"},
        {"a folder above renamed", u"c:\\data\\sub\\deeper", [&] { fs.Rename(u"c:\\data\\sub", u"c:\\data\\subx"); },
         u"C:\\data"},
        {"its drive gone", u"x:\\docs\\deep", [&] { fs.RemoveDrive(u'x'); }, u"C:\\"},
        {"its drive unreadable", u"X:\\docs\\deep", [&] { fs.SetReady(u'x', false); }, u"X:\\docs\\deep"},
    };
    for (const auto& gone : kCases) {
        SCOPED_TRACE(gone.what);
        fs.AddNetworkDrive(u'x', u"\\\\fs1\\pub");
        for (const char16_t* made : {u"c:\\data\\sub\\deeper\\leaf.txt", u"x:\\docs\\deep\\leaf.txt"}) fs.AddFile(made);
        CreateNew();
        control->SetPath(gone.shown);
        site.events.clear();
        site.notifications.clear();
        gone.change();
        if (!surface->Pump()) {
            EXPECT_TRUE(surface->CheckWatch());
        }
        EXPECT_EQ(control->Path(), gone.then);
        EXPECT_EQ(site.notifications, gone.then == gone.shown ? Names{} : Names{u"Path"});
        EXPECT_TRUE(site.events.empty());
        if (gone.then == gone.shown) {
            EXPECT_EQ(Files(), Names{u"leaf.txt"});
            continue;
        }
        // The folder it went to is listed as RefreshFiles lists it, and watched from now on.
        const Names listed = Files();
        control->RefreshFiles();
        EXPECT_EQ(Files(), listed);
        fs.AddFile(gone.then + u"\\later.txt");
        EXPECT_TRUE(surface->Pump());
        EXPECT_NE(std::find(Files().begin(), Files().end(), u"later.txt"), Files().end());
        fs.Remove(gone.then + u"\\later.txt");
    }
}

TEST_F(WatchingTest, ABurstOfChangesListsOnce) {
    OpenDataWithReportChosen();
    const int before = fs.enumerations();
    for (int i = 0; i < 10000; ++i) {
        const std::string digits = std::to_string(i);
        fs.AddFile(u"c:\\data\\burst" + std::u16string(digits.begin(), digits.end()) + u".tmp");
    }
    EXPECT_TRUE(surface->Pump());
    EXPECT_FALSE(surface->Pump()) << "nothing changed since";
    EXPECT_EQ(fs.enumerations() - before, 1);
    EXPECT_EQ(surface->folder_changes(), 1);
    EXPECT_EQ(Files().size(), 10003u);
}

TEST_F(WatchingTest, ChangesElsewhereOrToContentsListNothing) {
    OpenDataWithReportChosen();
    fs.AddFile(u"c:\\other.txt");
    fs.AddFile(u"c:\\data\\sub\\inside.txt");
    fs.AddFile(u"c:\\data\\report.txt", 9999, kReportTime);  // written over: same name
    fs.AddDirectory(u"c:\\data\\sub", attr::kHidden);        // attributes only
    const int before = fs.enumerations();
    EXPECT_FALSE(surface->Pump());
    EXPECT_EQ(fs.enumerations(), before);
}

TEST_F(WatchingTest, WatchingStopsWhileHiddenAndFollowsTheShownFolder) {
    OpenDataWithReportChosen();
    EXPECT_TRUE(surface->watching());
    surface->SetShown(false);
    EXPECT_FALSE(surface->watching());
    EXPECT_EQ(fs.watch_count(), 0);
    fs.AddFile(u"c:\\data\\unseen.txt");
    EXPECT_FALSE(surface->Pump());
    EXPECT_EQ(Files(), (Names{u"A.TXT", u"b.txt", u"report.txt"}));

    surface->SetShown(true);
    EXPECT_TRUE(surface->watching());
    surface->Dir1().UserOpen(u"c:\\data\\sub");
    EXPECT_EQ(fs.watch_count(), 1) << "one folder at a time";
    fs.AddFile(u"c:\\data\\elsewhere.txt");
    EXPECT_FALSE(surface->Pump()) << "c:\\data is no longer shown";
    fs.AddFile(u"c:\\data\\sub\\here.txt");
    EXPECT_TRUE(surface->Pump());
    EXPECT_EQ(Files(), (Names{u"here.txt"}));
}

TEST_F(WatchingTest, ADriveWithoutChangeNotificationIsNotWatchedAndCostsNothing) {
    fs.SetNotifies(u'x', false);
    CreateNew();
    control->SetPath(u"x:\\docs");
    ASSERT_EQ(Dir(), u"X:\\docs");
    EXPECT_FALSE(surface->watching());
    fs.AddFile(u"x:\\docs\\more.txt");
    const int before = fs.enumerations();
    EXPECT_FALSE(surface->Pump());
    EXPECT_EQ(fs.enumerations(), before);
    EXPECT_EQ(Files(), (Names{u"report.txt"}));
    control->RefreshFiles();
    EXPECT_EQ(Files(), (Names{u"more.txt", u"report.txt"})) << "RefreshFiles still lists it";
}

}  // namespace
}  // namespace selvane::testing
