// The Path property, network paths and drive letters, and the path queries.
#include "control_fixture.h"

#include "paths/network_volumes.h"
#include "paths/path_text.h"

namespace selvane::testing {
namespace {

using PathTest = ControlTest;

TEST_F(PathTest, NetworkPathsLandOnTheirConnectedDrive) {
    CreateNew();
    control->SetPath(u"\\\\FS1\\Pub\\Docs");
    EXPECT_EQ(Drive(), u"x: [\\\\fs1\\pub]");
    EXPECT_EQ(Dir(), u"X:\\docs");
    EXPECT_EQ(Files(), (Names{u"report.txt"}));

    control->SetPath(u"\\\\fs1\\pub\\docs\\report.txt");
    EXPECT_EQ(Dir(), u"X:\\docs") << "a file's path opens its directory";

    control->SetPath(u"\\\\fs1\\pub");
    EXPECT_EQ(Dir(), u"X:\\");

    control->SetPath(u"\\\\fs2\\home");
    EXPECT_EQ(Drive(), u"c: [system]") << "an unconnected volume goes to C";
    EXPECT_EQ(Dir(), u"C:\\");
}

TEST_F(PathTest, AVolumeMatchesWholeNamesOnlyAndTheFirstDriveInListOrderWins) {
    CreateNew();
    control->SetPath(u"\\\\fs1\\pub\\team\\a");
    EXPECT_EQ(Dir(), u"X:\\team\\a");

    control->SetPath(u"\\\\fs1\\public\\docs");
    EXPECT_EQ(Dir(), u"C:\\") << "\\\\fs1\\pub is not a prefix of \\\\fs1\\public";
}

TEST_F(PathTest, LocalPathsTakeTheStoredCaseAndFilesOpenTheirDirectory) {
    CreateNew();
    control->SetPath(u"c:\\PROGRAM Files\\App");
    EXPECT_EQ(Dir(), u"C:\\program files\\app");

    control->SetPath(u"c:\\autoexec.bat");
    EXPECT_EQ(Dir(), u"C:\\");

    control->SetPath(u"c:\\data\\gone.txt");
    EXPECT_EQ(Dir(), u"C:\\data") << "a file that doesn't exist is cut as well";
}

TEST_F(PathTest, ExistingDirectoriesWithDotsAreKept) {
    CreateNew();
    control->SetPath(u"c:\\tools\\node.js");
    EXPECT_EQ(Dir(), u"C:\\tools\\node.js");
    control->SetPath(u"c:\\my.files\\sub");
    EXPECT_EQ(Dir(), u"C:\\my.files\\sub");
    control->SetPath(u"c:\\my.files\\sub\\notes.txt");
    EXPECT_EQ(Dir(), u"C:\\my.files\\sub");
}

TEST_F(PathTest, ARelativePathWithADotIsLookedUpUnderTheShownFolder) {
    CreateNew();
    // The first letter is taken for a drive as well: none of these starts with a drive's letter.
    control->SetPath(u"c:\\");
    control->SetPath(u"tools\\node.js");
    EXPECT_EQ(Dir(), u"C:\\tools\\node.js");
    control->SetPath(u"c:\\");
    control->SetPath(u"my.files\\sub");
    EXPECT_EQ(Dir(), u"C:\\my.files\\sub");
    control->SetPath(u"c:\\");
    control->SetPath(u"my.files\\sub\\notes.txt");
    EXPECT_EQ(Dir(), u"C:\\my.files\\sub") << "a file's path, relative too, opens its directory";
    control->SetPath(u"c:\\my.files\\sub");
    control->SetPath(u"..\\..\\tools\\node.js");
    EXPECT_EQ(Dir(), u"C:\\tools\\node.js");
}

std::vector<std::u16string> g_traced;
void Capture(const std::u16string& line) { g_traced.push_back(line); }

TEST_F(PathTest, ASkippedStepLeavesATraceLineForWhoeverListens) {
    CreateNew();
    control->SetPath(u"c:\\nowhere");
    SetTraceListener(&Capture);
    g_traced.clear();
    control->SetPath(u"c:\\nowhere");
    SetTraceListener(nullptr);
    ASSERT_EQ(g_traced.size(), 1u) << "the directory list refused the folder, and nothing else failed";
    const std::u16string& line = g_traced[0];
    EXPECT_EQ(line.rfind(u"selvane: skipped at control/selvane_path.cpp:", 0), 0u);
    EXPECT_NE(line.find(u": error 76 (Path not found)"), std::u16string::npos);
    control->SetPath(u"c:\\nowhere");
    EXPECT_EQ(g_traced.size(), 1u) << "nobody listens any more";
}

// A put to another drive lists the folder asked for alone; one the directory list refuses leaves
// it on the new drive's root, listed once. A relative path still reads from that root.
TEST_F(PathTest, ChangingDriveListsOnlyTheFolderItEndsOn) {
    CreateNew();
    const struct {
        std::u16string put;
        std::u16string dir;
        Names files;
    } steps[] = {
        {u"d:\\docs", u"D:\\docs", {u"readme"}},
        {u"c:\\nowhere", u"C:\\", {u"autoexec.bat"}},
        {u"docs", u"D:\\docs", {u"readme"}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(::testing::PrintToString(step.put));
        const int before = fs.enumerations();
        control->SetPath(step.put);
        EXPECT_EQ(fs.enumerations() - before, 1);
        EXPECT_EQ(Dir(), step.dir);
        EXPECT_EQ(Files(), step.files);
    }
}

TEST_F(PathTest, RefusedPathsLeaveTheListsAndStillNotify) {
    CreateNew();
    control->SetPath(u"c:\\data");
    site.notifications.clear();
    control->SetPath(u"c:\\nowhere");
    EXPECT_EQ(Dir(), u"C:\\data");
    control->SetPath(u"q:\\data");
    EXPECT_EQ(Dir(), u"C:\\data");
    control->SetPath(u"");
    EXPECT_EQ(Dir(), u"C:\\data");
    EXPECT_EQ(site.notifications, (Names{u"Path", u"Path", u"Path"}));
}

TEST_F(PathTest, GetPathJoinsDirectoryAndChosenFile) {
    CreateNew();
    EXPECT_EQ(control->GetPath(), u"C:\\");
    ClickFile(u"autoexec.bat");
    EXPECT_EQ(control->GetPath(), u"C:\\autoexec.bat");
    EXPECT_EQ(control->FileSelected(), kTrue);

    control->SetPath(u"c:\\data");
    EXPECT_EQ(control->GetPath(), u"C:\\data");
    ClickFile(u"report.txt");
    EXPECT_EQ(control->GetPath(), u"C:\\data\\report.txt");

    control->SetDirOnly(kTrue);
    EXPECT_EQ(control->GetPath(), u"C:\\data");
    EXPECT_EQ(control->FileSelected(), kFalse);
}

TEST_F(PathTest, ServerFormNamesTheVolumeOfNetworkDrivesOnly) {
    CreateNew();
    control->SetServer(kTrue);
    EXPECT_EQ(control->GetPath(), u"C:\\") << "a local drive keeps its letter";

    control->SetPath(u"x:\\docs");
    ClickFile(u"report.txt");
    EXPECT_EQ(control->GetPath(), u"\\\\FS1\\PUB\\docs\\report.txt");
    control->SetPath(u"x:\\");
    EXPECT_EQ(control->GetPath(), u"\\\\FS1\\PUB\\");
    control->SetPath(u"y:\\");
    EXPECT_EQ(control->GetPath(), u"\\\\FS1\\PUB\\TEAM\\");
}

TEST_F(PathTest, LoadedPathOnAnotherDriveKeepsServerFormRight) {
    memory::MemoryPropertyBag bag;
    bag.Set(u"Path", std::u16string(u"x:\\docs"));
    bag.Set(u"Server", true);
    CreateLoaded(bag);
    EXPECT_EQ(Drive(), u"x: [\\\\fs1\\pub]");
    EXPECT_EQ(control->GetPath(), u"\\\\FS1\\PUB\\docs");
}

TEST_F(PathTest, PathOnlyDropsTheLastComponent) {
    CreateNew();
    EXPECT_EQ(control->PathOnly(u"c:\\docs\\report.txt"), u"c:\\docs");
    EXPECT_EQ(control->PathOnly(u"c:\\report.txt"), u"c:");
    EXPECT_EQ(control->PathOnly(u"c:\\docs\\"), u"c:\\docs");
    EXPECT_EQ(control->PathOnly(u"report.txt"), u"report.txt");
    EXPECT_EQ(control->PathOnly(u""), u"");
    const std::u16string deep = u"\\\\?\\c:\\" + std::u16string(40000, u'a');
    EXPECT_EQ(control->PathOnly(deep + u"\\f.txt"), deep);
}

TEST_F(PathTest, FileExistsWantsANonEmptyReadableFile) {
    fs.AddFile(u"c:\\empty.txt", 0);
    fs.AddFile(u"c:\\huge.iso", 3ull << 30);
    CreateNew();
    EXPECT_EQ(control->FileExists(u"c:\\autoexec.bat"), kTrue);
    EXPECT_EQ(control->FileExists(u"c:\\huge.iso"), kTrue);
    EXPECT_EQ(control->FileExists(u"c:\\empty.txt"), kFalse);
    EXPECT_EQ(control->FileExists(u"c:\\missing.txt"), kFalse);
    EXPECT_EQ(control->FileExists(u""), kFalse);
    EXPECT_EQ(control->FileExists(u"a:\\setup.exe"), kFalse);
    EXPECT_EQ(control->FileExists(u"c:\\*.bat"), kFalse);
}

TEST_F(PathTest, DirExistsAdmitsDirectoriesAndFilesButNotHiddenOnes) {
    CreateNew();
    EXPECT_EQ(control->DirExists(u"c:\\data"), kTrue);
    EXPECT_EQ(control->DirExists(u"c:\\autoexec.bat"), kTrue);
    EXPECT_EQ(control->DirExists(u"c:\\da*"), kTrue);
    EXPECT_EQ(control->DirExists(u"c:\\secret"), kFalse);
    EXPECT_EQ(control->DirExists(u"c:\\nowhere"), kFalse);
    try {
        control->DirExists(u"a:\\");
        ADD_FAILURE() << "a drive without a medium is an error for the host";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.code(), errc::kDiskNotReady);
    }
}

// Every reading of path text the lists and the file systems share, a row per kind of path.
TEST(PathText, KindRootAndDriveOfEachKindOfPath) {
    using paths::PathKind;
    const struct {
        std::u16string path;
        PathKind kind;
        std::size_t root;
        std::u16string drive;
    } cases[] = {
        {u"", PathKind::kEmpty, 0, u""},
        {u"c:\\data", PathKind::kDriveRooted, 3, u"c:"},
        {u"C:/", PathKind::kDriveRooted, 3, u"C:"},
        {u"d:docs", PathKind::kDriveRelative, 2, u"d:"},
        {u"d:", PathKind::kBareDrive, 2, u"d:"},
        {u"\\\\fs1\\pub\\docs", PathKind::kNetwork, 9, u"\\\\fs1\\pub"},
        {u"//fs1/pub", PathKind::kNetwork, 9, u"//fs1/pub"},
        {u"\\\\fs1", PathKind::kNetwork, 5, u"\\\\fs1"},
        {u"\\data", PathKind::kRootRelative, 0, u""},
        {u"/data", PathKind::kRootRelative, 0, u""},
        {u"data\\sub", PathKind::kRelative, 0, u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.path));
        const paths::ParsedPath parsed = paths::Parse(c.path);
        EXPECT_EQ(parsed.kind, c.kind);
        EXPECT_EQ(parsed.root_length, c.root);
        EXPECT_EQ(parsed.Drive(), c.drive);
    }
    // The server of a network path stands for all its shares; other paths have none.
    EXPECT_EQ(paths::Parse(u"\\\\fs1\\pub\\docs").Server(), u"\\\\fs1");
    EXPECT_EQ(paths::Parse(u"//fs1/pub").Server(), u"//fs1");
    EXPECT_EQ(paths::Parse(u"c:\\data").Server(), u"");
    using Names = std::vector<std::u16string>;
    EXPECT_EQ(paths::Parse(u"C:\\a//b\\\\c\\").components, (Names{u"a", u"b", u"c"}));
    EXPECT_EQ(paths::Join(u"C:\\", u"a"), u"C:\\a");
    EXPECT_EQ(paths::Join(u"C:\\data/", u"a"), u"C:\\data/a");
    EXPECT_EQ(paths::DirectoryPrefix(u"C:\\data"), u"C:\\data\\");
}

// Where a path leads from a folder: as the directory list reads it, and as the system does,
// which differ for a drive-relative path on the folder's own drive only.
TEST(PathText, APathReadFromAFolder) {
    const struct {
        std::u16string path;
        std::u16string folder;
        std::u16string list_reads;
        std::u16string system_reads;
    } cases[] = {
        {u"", u"C:\\data", u"C:\\data", u"C:\\data"},
        {u"d:\\x", u"C:\\data", u"d:\\x", u"d:\\x"},
        {u"\\\\fs1\\pub", u"C:\\data", u"\\\\fs1\\pub", u"\\\\fs1\\pub"},
        {u"c:", u"C:\\data", u"C:\\data", u"C:\\data"},
        {u"d:", u"C:\\data", u"d:\\", u"d:\\"},
        {u"c:x", u"C:\\data", u"c:\\x", u"C:\\data\\x"},
        {u"d:x", u"C:\\data", u"d:\\x", u"d:\\x"},
        {u"\\x", u"C:\\data", u"C:\\x", u"C:\\x"},
        {u"/x", u"\\\\fs1\\pub\\docs", u"\\\\fs1\\pub/x", u"\\\\fs1\\pub/x"},
        {u"x\\y", u"C:\\", u"C:\\x\\y", u"C:\\x\\y"},
        {u"x", u"C:\\data", u"C:\\data\\x", u"C:\\data\\x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.path) + " from " + ::testing::PrintToString(c.folder));
        EXPECT_EQ(paths::AgainstFolder(paths::Parse(c.path), c.folder), c.list_reads);
        EXPECT_EQ(paths::AgainstFolder(paths::Parse(c.path), c.folder, paths::Reading::kSystem), c.system_reads);
    }
}

// The folder part of a path in each of its uses: the parent of a shown folder, the folder and
// pattern of an enumeration, a file's folder for the Path property, and PathOnly's cut.
TEST(PathText, TheFolderAPathIsIn) {
    const struct {
        std::u16string path;
        std::u16string parent;
        std::u16string split_folder;
        std::u16string split_name;
        std::u16string folder_of_file;
        std::u16string before_last_backslash;
    } cases[] = {
        {u"C:\\data\\sub", u"C:\\data", u"C:\\data\\", u"sub", u"C:\\data", u"C:\\data"},
        {u"C:\\data", u"C:\\", u"C:\\", u"data", u"C:\\", u"C:"},
        {u"C:\\data\\", u"C:\\", u"C:\\data\\", u"", u"C:\\data", u"C:\\data"},
        {u"C:\\", u"", u"C:\\", u"", u"C:\\", u"C:"},
        {u"c:/a/b.txt", u"c:/a", u"c:/a/", u"b.txt", u"c:/a/b.txt", u"c:/a/b.txt"},
        {u"d:*.txt", u"", u"d:", u"*.txt", u"d:*.txt", u"d:*.txt"},
        {u"x.", u"", u"", u"x.", u"x.\\", u"x."},
        {u"\\\\fs1\\pub\\docs", u"\\\\fs1\\pub", u"\\\\fs1\\pub\\", u"docs", u"\\\\fs1\\pub", u"\\\\fs1\\pub"},
        {u"\\\\fs1\\pub", u"", u"\\\\fs1\\", u"pub", u"\\\\fs1", u"\\\\fs1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.path));
        EXPECT_EQ(paths::ParentFolder(c.path), c.parent);
        const paths::FolderAndName split = paths::SplitName(c.path);
        EXPECT_EQ(split.folder, c.split_folder);
        EXPECT_EQ(split.name, c.split_name);
        EXPECT_EQ(paths::FolderOfFile(c.path), c.folder_of_file);
        EXPECT_EQ(paths::BeforeLastBackslash(c.path), c.before_last_backslash);
    }
}

TEST(NetworkVolumes, ServerAndVolumeOfAConnectionBothWays) {
    const auto team = paths::SplitServerVolume(u"\\\\ FS1 \\PUB\\TEAM ");
    EXPECT_EQ(team.server, u"FS1");
    EXPECT_EQ(team.volume, u"PUB\\TEAM");
    const auto bare = paths::SplitServerVolume(u"\\\\FS1");
    EXPECT_EQ(bare.server, u"FS1");
    EXPECT_EQ(bare.volume, u"");
    EXPECT_EQ(paths::SplitServerVolume(u"SYSTEM").server, u"");
    EXPECT_EQ(paths::SplitServerVolume(u"//FS1/PUB").server, u"") << "only backslashes give the server form";
    EXPECT_EQ(paths::InServerForm(team, u"X:\\docs"), u"\\\\FS1\\PUB\\TEAM\\docs");
    EXPECT_EQ(paths::InServerForm(team, u"X:\\"), u"\\\\FS1\\PUB\\TEAM\\");
    EXPECT_EQ(paths::InServerForm(bare, u"X:"), u"\\\\FS1\\");
}

TEST(NetworkVolumes, NetworkPathMapping) {
    const std::vector<paths::Connection> connections = {
        {u'w', u""}, {u'x', u"\\\\fs1\\pub"}, {u'y', u"\\\\fs1\\pub\\team"}};
    EXPECT_EQ(paths::MapNetworkPath(u"\\\\fs1\\pub\\docs", connections), u"x:\\docs");
    EXPECT_EQ(paths::MapNetworkPath(u"\\\\fs1\\pub", connections), u"x:\\");
    EXPECT_EQ(paths::MapNetworkPath(u"\\\\fs1\\pub\\team\\a", connections), u"x:\\team\\a");
    EXPECT_EQ(paths::MapNetworkPath(u"\\\\fs1\\public\\docs", connections), std::nullopt);
    EXPECT_EQ(paths::MapNetworkPath(u"\\\\fs0\\x\\\\fs1\\pub", connections), std::nullopt);
    EXPECT_EQ(paths::MapNetworkPath(u"\\\\fs1\\pub\\team\\a", {connections[2], connections[1]}), u"y:\\a");
}

}  // namespace
}  // namespace selvane::testing
