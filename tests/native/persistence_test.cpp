// Saving and loading the control's settings.
#include "control_fixture.h"
#include "tests/common/property_names.h"

namespace selvane::testing {
namespace {

using PersistenceTest = ControlTest;
using memory::MemoryPropertyBag;

// Saved forms hold these names in this order; a new property may only be added after them.
const Names kKeysInOrder = {u"BackColor", u"Label1Color", u"Label2Color", u"Label1Bold", u"Label2Bold", u"Path",
                            u"DirOnly",   u"Server",      u"Tips",        u"FileType",   u"ShowHidden"};

TEST_F(PersistenceTest, TheMemberTableKeepsTheSavedNamesAndOrder) {
    const Names table = PropertyNames();
    ASSERT_GE(table.size(), kKeysInOrder.size());
    EXPECT_EQ(Names(table.begin(), table.begin() + static_cast<std::ptrdiff_t>(kKeysInOrder.size())), kKeysInOrder);
}

TEST_F(PersistenceTest, AnEmptyStoreLoadsTheDefaults) {
    MemoryPropertyBag bag;
    CreateLoaded(bag);
    EXPECT_EQ(bag.reads, AllPropertyNames());
    EXPECT_EQ(control->BackColor(), 0x8000000Fu);
    EXPECT_EQ(control->Label1Color(), 0u);
    EXPECT_EQ(control->Label2Color(), 0u);
    EXPECT_EQ(control->Label1Bold(), kFalse);
    EXPECT_EQ(control->Label2Bold(), kFalse);
    EXPECT_EQ(control->Path(), u"C:\\") << "the root of C, as the directory list reports it";
    EXPECT_EQ(control->DirOnly(), kFalse);
    EXPECT_EQ(control->Server(), kFalse);
    EXPECT_EQ(control->Tips(), kTrue);
    EXPECT_EQ(control->FileType(), u"*.*");
    EXPECT_EQ(control->ShowHidden(), kFalse);
    EXPECT_TRUE(site.notifications.empty());
    EXPECT_TRUE(site.load_errors.empty());
}

TEST_F(PersistenceTest, ANewInstanceSavesEveryKeyInOrderAtItsDefault) {
    CreateNew();
    MemoryPropertyBag all;
    all.keep_defaults = true;
    control->WriteProperties(all);
    EXPECT_EQ(all.writes, PropertyNames());
    EXPECT_EQ(all.Get(u"Tips"), MemoryPropertyBag::Value(true));
    EXPECT_EQ(all.Get(u"BackColor"), MemoryPropertyBag::Value(static_cast<std::int32_t>(0x8000000F)));

    MemoryPropertyBag sparse;
    control->WriteProperties(sparse);
    EXPECT_EQ(sparse.size(), 0u) << "the directory shows as C:\\, its default";
    control->SetPath(u"c:\\data");
    control->WriteProperties(sparse);
    EXPECT_EQ(sparse.size(), 1u);
    EXPECT_TRUE(sparse.Has(u"Path"));
}

TEST_F(PersistenceTest, EverySettingSurvivesARoundTrip) {
    CreateNew();
    control->SetBackColor(0x00336699);
    control->SetLabel1Color(0x000000FF);
    control->SetLabel2Color(0x80000012);
    control->SetLabel1Bold(kTrue);
    control->SetPath(u"c:\\data");
    control->SetDirOnly(kTrue);
    control->SetServer(kTrue);
    control->SetTips(kFalse);
    surface->Text1().UserReplace(u"*.txt");
    control->SetShowHidden(kTrue);
    control->SetMultiSelect(2);
    control->SetSortOrder(1);
    MemoryPropertyBag bag;
    bag.keep_defaults = true;
    control->WriteProperties(bag);
    EXPECT_EQ(bag.writes, AllPropertyNames()) << "the newer settings are written when set";

    CreateLoaded(bag);
    EXPECT_EQ(control->MultiSelect(), 2);
    EXPECT_EQ(control->SortOrder(), 1);
    EXPECT_EQ(control->BackColor(), 0x00336699u);
    EXPECT_EQ(control->Label1Color(), 0x000000FFu);
    EXPECT_EQ(control->Label2Color(), 0x80000012u);
    EXPECT_EQ(control->Label1Bold(), kTrue);
    EXPECT_EQ(control->Label2Bold(), kFalse);
    EXPECT_EQ(control->Path(), u"C:\\data");
    EXPECT_EQ(control->DirOnly(), kTrue);
    EXPECT_EQ(control->Server(), kTrue);
    EXPECT_EQ(control->Tips(), kFalse);
    EXPECT_EQ(control->FileType(), u"*.txt") << "a pattern the user typed is saved";
    EXPECT_EQ(control->ShowHidden(), kTrue);
    EXPECT_EQ(Files(), (Names{u"A.TXT", u"b.txt", u"report.txt"}));
}

TEST_F(PersistenceTest, LoadingAppliesValuesDirectlyWithoutNotifyingOrRepainting) {
    MemoryPropertyBag bag;
    bag.Set(u"BackColor", std::int32_t{255});
    bag.Set(u"Tips", false);
    bag.Set(u"FileType", std::u16string(u""));
    CreateLoaded(bag);
    EXPECT_TRUE(site.notifications.empty());
    EXPECT_EQ(surface->background_paints(), 1) << "only the value itself is painted, no extra repaint";
    EXPECT_EQ(surface->refresh_count(), 0);
    EXPECT_EQ(control->Tips(), kFalse);
    EXPECT_EQ(surface->Drive1().tool_tip(), u" Select Drive ") << "tips change only when Tips is assigned";
    EXPECT_EQ(control->FileType(), u"");
    EXPECT_EQ(Files(), (Names{u"autoexec.bat"})) << "an empty pattern lists every file";
}

TEST_F(PersistenceTest, SavedShowHiddenTakesEffectFromTheNextListing) {
    fs.AddFile(u"c:\\data\\hidden.txt", 1, {}, attr::kHidden);
    MemoryPropertyBag bag;
    bag.Set(u"Path", std::u16string(u"c:\\data"));
    bag.Set(u"ShowHidden", true);
    CreateLoaded(bag);
    EXPECT_EQ(Files().size(), 3u);
    control->RefreshFiles();
    EXPECT_EQ(Files().size(), 4u);
}

TEST_F(PersistenceTest, ASavedPathOnAnotherDriveMovesTheDriveListToo) {
    MemoryPropertyBag bag;
    bag.Set(u"Path", std::u16string(u"d:\\docs"));
    CreateLoaded(bag);
    EXPECT_EQ(Drive(), u"d:");
    EXPECT_EQ(Dir(), u"D:\\docs");
    EXPECT_EQ(Files(), (Names{u"readme"}));
}

TEST_F(PersistenceTest, ABadValueIsReportedAndSkippedWhileTheRestLoads) {
    MemoryPropertyBag bag;
    bag.Set(u"Label1Color", std::u16string(u"red"));
    bag.Set(u"Path", std::u16string(u"d:\\deleted"));
    bag.Set(u"DirOnly", true);
    bag.Set(u"Tips", false);
    bag.Set(u"FileType", std::u16string(u"*.bat"));
    bag.Set(u"ShowHidden", std::int32_t{-1});
    CreateLoaded(bag);

    using Error = std::pair<std::u16string, std::int32_t>;
    EXPECT_EQ(site.load_errors,
              (std::vector<Error>{{u"Label1Color", errc::kTypeMismatch}, {u"Path", errc::kPathNotFound}}));
    EXPECT_EQ(Drive(), u"c: [system]") << "the lists stay where they were";
    EXPECT_EQ(Dir(), u"C:\\");
    EXPECT_EQ(control->Label1Color(), 0u);
    EXPECT_EQ(control->DirOnly(), kTrue);
    EXPECT_EQ(control->Tips(), kFalse);
    EXPECT_EQ(control->FileType(), u"*.bat");
    EXPECT_EQ(control->ShowHidden(), kTrue);
    EXPECT_EQ(Files(), (Names{u"autoexec.bat"}));

    MemoryPropertyBag saved;
    control->WriteProperties(saved);
    EXPECT_EQ(saved.Get(u"DirOnly"), MemoryPropertyBag::Value(true)) << "later keys are not lost at the next save";
}

TEST_F(PersistenceTest, AnUnreachableSavedDriveIsSkippedLikeAMissingFolder) {
    MemoryPropertyBag bag;
    bag.Set(u"Path", std::u16string(u"a:\\setup"));
    bag.Set(u"FileType", std::u16string(u"*.bat"));
    CreateLoaded(bag);
    ASSERT_EQ(site.load_errors.size(), 1u);
    EXPECT_EQ(site.load_errors[0].first, u"Path");
    EXPECT_EQ(Drive(), u"c: [system]");
    EXPECT_EQ(Dir(), u"C:\\");
    EXPECT_EQ(control->FileType(), u"*.bat");
}

TEST_F(PersistenceTest, PropertySettersNotifyTheHostAfterWriting) {
    CreateNew();
    control->SetDirOnly(kTrue);
    control->SetServer(kTrue);
    control->SetShowHidden(kTrue);
    const int before = fs.enumerations();
    control->SetFileType(u"*.bat");
    EXPECT_EQ(fs.enumerations() - before, 1);
    control->SetFileType(u"*.bat");
    EXPECT_EQ(fs.enumerations() - before, 1) << "the same pattern lists nothing";
    EXPECT_EQ(site.notifications, (Names{u"DirOnly", u"Server", u"ShowHidden", u"FileType", u"FileType"}));
    EXPECT_EQ(control->ShowHidden(), kTrue);
}

}  // namespace
}  // namespace selvane::testing
