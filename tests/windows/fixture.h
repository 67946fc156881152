// The drives, folders and files that scripts/wine-prefix.sh builds for the Windows tests.
// Tests name them through these constants; the script's header comment shows the same layout.
//
//   D:  [FIXTUREDATA]  zero.txt 0 B, nine.txt 999 B, thousand.txt 1000 B, huge.bin 3 GiB,
//                      .windows-label (where Wine reads the label; listed as hidden)
//       docs\          a.txt B.txt c.log _under.txt Zeta.TXT (empty), alpha\ Beta\ Gamma\ letters\old\,
//                      secret.txt (hidden), sys.txt (system), hiddendir\ (hidden), sysdir\ (system)
//       many\          33,000 empty files f00000.txt .. f32999.txt
//       deep\          12 nested 30-character folder names, then deep.txt (path > 300 characters)
//       wide\          one folder whose 121-character name is wider than the directory list
//   E:  no label       first.txt 10 B, café.txt 20 B
//   N:  \\fakesrv\share, network: pub\, readme.txt 7 B
//   H:  the tests' file system that doesn't answer (tests/windows/hang_fs.py), while it is mounted:
//       healthy\ a.txt b.txt sub\, list\ (its list hangs), attr\file.txt (its attributes hang),
//       slow\ (1,000 files that answer slowly); I: is H:\list
// Everything is dated kFixtureTime; the tests run with TZ=UTC, so that is the local time too.
// The host contract (tests/common/host_contract.h, kContractLayout) reads part of this layout and
// builds the same part in memory for the native run: change both together.
#pragma once

#include <cstdint>

namespace selvane::testing::fixture {

struct Time {
    int year, month, day, hour, minute, second;
};
inline constexpr Time kFixtureTime{2001, 2, 3, 4, 5, 6};

// D: a labelled fixed drive with files of chosen sizes.
inline constexpr wchar_t kDataLetter = L'D';
inline constexpr wchar_t kDataRoot[] = L"D:\\";
inline constexpr wchar_t kDataLabel[] = L"FIXTUREDATA";
inline constexpr wchar_t kLabelFile[] = L"D:\\.windows-label";
inline constexpr wchar_t kZeroFile[] = L"D:\\zero.txt";
inline constexpr std::uint64_t kZeroSize = 0;
inline constexpr wchar_t kNineFile[] = L"D:\\nine.txt";
inline constexpr std::uint64_t kNineSize = 999;
inline constexpr wchar_t kThousandFile[] = L"D:\\thousand.txt";
inline constexpr std::uint64_t kThousandSize = 1000;
inline constexpr wchar_t kHugeFile[] = L"D:\\huge.bin";
inline constexpr std::uint64_t kHugeSize = 3ull << 30;

// D:\docs: names in mixed case for case-insensitive sorting, and hidden and system entries.
inline constexpr wchar_t kDocs[] = L"D:\\docs";
inline constexpr const wchar_t* kDocsFiles[] = {L"_under.txt", L"a.txt", L"B.txt", L"c.log",
                                                L"Zeta.TXT"};
inline constexpr const wchar_t* kDocsFolders[] = {L"alpha", L"Beta", L"Gamma", L"letters"};
inline constexpr wchar_t kLetters[] = L"D:\\docs\\letters";
inline constexpr wchar_t kLettersOld[] = L"D:\\docs\\letters\\old";
inline constexpr wchar_t kHiddenFile[] = L"D:\\docs\\secret.txt";
inline constexpr wchar_t kSystemFile[] = L"D:\\docs\\sys.txt";
inline constexpr wchar_t kHiddenFolder[] = L"D:\\docs\\hiddendir";
inline constexpr wchar_t kSystemFolder[] = L"D:\\docs\\sysdir";

// D:\cases: Same.txt and same.txt, two files whose names differ in case only (a Unix folder
// under Wine; Windows has such folders where case sensitivity is switched on).
inline constexpr wchar_t kCases[] = L"D:\\cases";

// D:\many: a folder too big to list one entry at a time on screen.
inline constexpr wchar_t kMany[] = L"D:\\many";
inline constexpr int kManyCount = 33000;
inline constexpr wchar_t kManyFirst[] = L"f00000.txt";
inline constexpr wchar_t kManyLast[] = L"f32999.txt";

// D:\deep: a folder whose path is longer than MAX_PATH; reach it with the \\?\ prefix.
inline constexpr wchar_t kDeepFolder[] =
    L"D:\\deep"
    L"\\nested_folder_level_01_padding\\nested_folder_level_02_padding"
    L"\\nested_folder_level_03_padding\\nested_folder_level_04_padding"
    L"\\nested_folder_level_05_padding\\nested_folder_level_06_padding"
    L"\\nested_folder_level_07_padding\\nested_folder_level_08_padding"
    L"\\nested_folder_level_09_padding\\nested_folder_level_10_padding"
    L"\\nested_folder_level_11_padding\\nested_folder_level_12_padding";
inline constexpr wchar_t kDeepFileName[] = L"deep.txt";

// D:\wide: a folder whose one subfolder has a name far wider than the directory list.
inline constexpr wchar_t kWide[] = L"D:\\wide";
inline constexpr wchar_t kWideFolderName[] =
    L"a_folder_whose_name_runs_far_past_the_right_edge_of_the_directory_list_so_that_the_list_scrolls_sideways_to_show_it_whole";

// E: a fixed drive without a label; one file name outside ASCII.
inline constexpr wchar_t kPlainLetter = L'E';
inline constexpr wchar_t kPlainRoot[] = L"E:\\";
inline constexpr wchar_t kPlainFirstFile[] = L"E:\\first.txt";
inline constexpr std::uint64_t kPlainFirstSize = 10;
inline constexpr wchar_t kPlainAccentFile[] = L"E:\\caf\u00e9.txt";
inline constexpr std::uint64_t kPlainAccentSize = 20;

// N: a connected network drive.
inline constexpr wchar_t kNetworkLetter = L'N';
inline constexpr wchar_t kNetworkDevice[] = L"N:";
inline constexpr wchar_t kNetworkRoot[] = L"N:\\";
inline constexpr wchar_t kNetworkRemote[] = L"\\\\fakesrv\\share";
inline constexpr wchar_t kNetworkPub[] = L"N:\\pub";
inline constexpr wchar_t kNetworkReadme[] = L"N:\\readme.txt";
inline constexpr wchar_t kNetworkReadmeUnc[] = L"\\\\fakesrv\\share\\readme.txt";
inline constexpr std::uint64_t kNetworkReadmeSize = 7;

// H: a drive that hangs when asked to (tests/windows/hang_fs.py): looking up kHangNow makes the
// calls below hang, looking up kAnswerNow answers them all and lets the drive answer again.
inline constexpr wchar_t kHangNow[] = L"H:\\.hang";
inline constexpr wchar_t kAnswerNow[] = L"H:\\.answer";
// Its size: how many calls H: has had.
inline constexpr wchar_t kHangCalls[] = L"H:\\.calls";
inline constexpr wchar_t kHangHealthy[] = L"H:\\healthy";
inline constexpr wchar_t kHangList[] = L"H:\\list";  // reading its names hangs
inline constexpr wchar_t kHangListFile[] = L"x.txt";
inline constexpr wchar_t kHangAttributes[] = L"H:\\attr";
inline constexpr wchar_t kHangFileName[] = L"file.txt";  // in kHangAttributes; reading its attributes hangs
inline constexpr wchar_t kHangFile[] = L"H:\\attr\\file.txt";
inline constexpr wchar_t kHangSlow[] = L"H:\\slow";  // each name answers after a few milliseconds
inline constexpr int kHangSlowCount = 1000;
// J: to M: H:\roots as drives of their own: looking up kHangRootsNow makes their roots hang
// until kAnswerNow.
inline constexpr wchar_t kHangRootsNow[] = L"H:\\.hangroots";
inline constexpr char16_t kRootDrives[] = u"jklm";
// I: H:\list as a drive of its own: its root's list hangs.
inline constexpr wchar_t kHangListDrive[] = L"i:";
// Looking up kSluggishNow makes H: answer every look at kSluggish, late (kAnswerNow ends it).
inline constexpr wchar_t kSluggishNow[] = L"H:\\.sluggish";
inline constexpr wchar_t kSluggish[] = L"H:\\sluggish";
// Meanwhile each call on kLate answers late too, but within its deadline.
inline constexpr wchar_t kLate[] = L"H:\\late";
// \\deadsrv1 to \\deadsrv9, each with share1 to share3, every share H:\attr.
inline constexpr wchar_t kDeadServer[] = L"\\\\deadsrv";
inline constexpr int kDeadServers = 9;
inline constexpr int kDeadServerShares = 3;

}  // namespace selvane::testing::fixture
