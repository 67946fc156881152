// Paths and patterns at and beyond the longest name the system takes: text of 32,767 units or
// more, or a full form beyond 32,762, names nothing, whichever member or setting it reaches.
#include "control_fixture.h"

#include "host/file_system.h"
#include "paths/path_text.h"
#include "tests/common/host_checks.h"

namespace selvane::testing {
namespace {

constexpr std::size_t kLongestText = paths::kLongestSystemName - 1;  // 32,766: still looked at
constexpr std::size_t kLongestDrivePath = paths::kLongestSystemName - 5;  // 32,762: "\\?\", NUL

// Exactly `length` units: head, then as many fill units as it takes, then tail.
std::u16string Sized(const std::u16string& head, std::size_t length, char16_t fill, const std::u16string& tail) {
    return head + std::u16string(length - head.size() - tail.size(), fill) + tail;
}

// "c:\data" and a name with a run of backslashes between them, which the full form folds
// into one: the text is long, its full form short.
std::u16string LongText(std::size_t length, const std::u16string& name) {
    return Sized(u"c:\\data", length, u'\\', name);
}

using LongPathTest = ControlTest;

TEST(SystemNameLimit, TheExtendedFormWithItsNulMustFit) {
    EXPECT_TRUE(paths::FitsSystemName(paths::Parse(Sized(u"c:\\", kLongestDrivePath, u'a', u""))));
    EXPECT_FALSE(paths::FitsSystemName(paths::Parse(Sized(u"c:\\", kLongestDrivePath + 1, u'a', u""))));
    // "\\?\UNC\server\share" is six units longer than "\\server\share".
    EXPECT_TRUE(paths::FitsSystemName(paths::Parse(Sized(u"\\\\srv\\share\\", kLongestDrivePath - 2, u'a', u""))));
    EXPECT_FALSE(paths::FitsSystemName(paths::Parse(Sized(u"\\\\srv\\share\\", kLongestDrivePath - 1, u'a', u""))));
    // A path that comes in extended-length form is measured as it stands, its prefix once.
    for (const std::u16string prefix : {u"\\\\?\\", u"\\\\?\\UNC\\"}) {
        const std::u16string head = prefix + (prefix.size() == 4 ? u"c:\\" : u"srv\\share\\");
        EXPECT_TRUE(paths::FitsSystemName(paths::Parse(Sized(head, kLongestText, u'a', u""))));
        EXPECT_FALSE(paths::FitsSystemName(paths::Parse(Sized(head, kLongestText + 1, u'a', u""))));
    }
}

TEST_F(LongPathTest, TheFileSystemLooksAtTextUpTo32766UnitsAndNoFurther) {
    EXPECT_EQ(fs.Stat(LongText(kLongestText, u"report.txt")).length, 2500u);
    EXPECT_TRUE(fs.IsDirectory(LongText(kLongestText, u"sub")));
    EXPECT_EQ(Matches(fs, LongText(kLongestText, u"*.txt")).size(), 3u);

    for (std::size_t length : {kLongestText + 1, kLongestText + 2, std::size_t{70000}}) {
        SCOPED_TRACE(length);
        EXPECT_EQ(ErrorOf([&] { fs.Stat(LongText(length, u"report.txt")).length; }), errc::kBadFileName);
        EXPECT_EQ(ErrorOf([&] { fs.Stat(LongText(length, u"report.txt")).modified.value(); }), errc::kBadFileName);
        EXPECT_FALSE(fs.IsDirectory(LongText(length, u"sub")));
        EXPECT_EQ(Matches(fs, LongText(length, u"*.txt")), Names{});
        EXPECT_EQ(ErrorOf([&] { fs.ResolveDirectory(LongText(length, u"sub")); }), errc::kPathNotFound);
    }
}

TEST_F(LongPathTest, AFullFormBeyond32762UnitsNamesNothingEvenWhereItsFolderExists) {
    // Folders of 200 units down to just below the limit.
    std::u16string folder = u"c:";
    while (folder.size() + 201 + 2 <= kLongestDrivePath) folder += u"\\" + std::u16string(200, u'f');
    fs.AddDirectory(folder);
    const std::u16string longest = Sized(folder + u"\\", kLongestDrivePath, u'n', u"");
    fs.AddFile(longest, 5);
    EXPECT_EQ(fs.Stat(longest).length, 5u);
    EXPECT_EQ(Matches(fs, folder + u"\\*"), (Names{longest.substr(folder.size() + 1)}));
    EXPECT_THROW(fs.AddFile(longest + u"n", 5), std::invalid_argument);

    EXPECT_EQ(ErrorOf([&] { fs.Stat(longest + u"n").length; }), errc::kBadFileName);
    // A pattern that would match the file, one unit too long for the system to take.
    EXPECT_EQ(Matches(fs, Sized(folder + u"\\", kLongestDrivePath + 1, u'*', u"")), Names{});
    EXPECT_EQ(Matches(fs, Sized(folder + u"\\", kLongestDrivePath, u'*', u"")).size(), 1u);
}

TEST_F(LongPathTest, APatternTooLongForTheSystemListsNothingAndStaysThePattern) {
    CreateNew();
    control->SetPath(u"c:\\data");
    ASSERT_EQ(Files().size(), 3u);

    // "c:\data\" and stars: every name matches while the system can take the text.
    const std::u16string fits = Sized(u"c:\\data\\", kLongestDrivePath, u'*', u"").substr(8);
    control->SetFileType(fits);
    EXPECT_EQ(Files().size(), 3u);

    for (std::size_t length : {kLongestDrivePath + 1, kLongestText + 1, kLongestText + 2, std::size_t{70000}}) {
        SCOPED_TRACE(length);
        const std::u16string pattern = Sized(u"c:\\data\\*.", length, u'*', u"").substr(8);
        control->SetFileType(pattern);
        EXPECT_EQ(Files(), Names{});
        EXPECT_EQ(FilesLabel(), u"");
        EXPECT_EQ(control->FileType(), pattern);
        control->RefreshFiles();
        EXPECT_EQ(Files(), Names{});
        control->SetFileType(u"*.*");
        EXPECT_EQ(Files().size(), 3u);
    }
}

TEST_F(LongPathTest, PathAndTheQueriesTreatOverlongTextAsANameThatDoesNotExist) {
    CreateNew();
    control->SetPath(LongText(kLongestText, u"sub"));
    EXPECT_EQ(Dir(), u"C:\\data\\sub");
    EXPECT_EQ(control->FileExists(LongText(kLongestText, u"report.txt")), kTrue);
    EXPECT_EQ(control->DirExists(LongText(kLongestText, u"sub")), kTrue);

    control->SetPath(u"c:\\data");
    for (std::size_t length : {kLongestText + 1, kLongestText + 2, std::size_t{70000}}) {
        SCOPED_TRACE(length);
        site.notifications.clear();
        control->SetPath(LongText(length, u"sub"));
        EXPECT_EQ(Dir(), u"C:\\data") << "the lists stay where they were";
        EXPECT_EQ(Files().size(), 3u);
        EXPECT_EQ(site.notifications, (Names{u"Path"}));
        EXPECT_EQ(control->FileExists(LongText(length, u"report.txt")), kFalse);
        EXPECT_EQ(control->DirExists(LongText(length, u"sub")), kFalse);
        EXPECT_EQ(control->DirExists(Sized(u"", length, u'*', u"")), kFalse);
        // PathOnly only cuts text, at any length.
        EXPECT_EQ(control->PathOnly(LongText(length, u"report.txt")), LongText(length - 11, u""));
    }
}

TEST_F(LongPathTest, LoadingSkipsAnOverlongFolderAndKeepsAnOverlongPattern) {
    for (std::size_t length : {kLongestText + 1, std::size_t{70000}}) {
        SCOPED_TRACE(length);
        memory::MemoryPropertyBag bag;
        bag.Set(u"Path", LongText(length, u"sub"));
        bag.Set(u"FileType", Sized(u"*.", length, u'*', u""));
        bag.Set(u"ShowHidden", true);
        site.load_errors.clear();
        CreateLoaded(bag);
        ASSERT_EQ(site.load_errors.size(), 1u);
        EXPECT_EQ(site.load_errors[0].first, u"Path");
        EXPECT_EQ(site.load_errors[0].second, errc::kPathNotFound);
        EXPECT_EQ(control->FileType(), Sized(u"*.", length, u'*', u""));
        EXPECT_EQ(Files(), Names{});
        EXPECT_EQ(control->ShowHidden(), kTrue) << "the keys after the skipped one still load";
    }
}

}  // namespace
}  // namespace selvane::testing
