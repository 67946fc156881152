// The Wine prefix and its fixture drives are what the other Windows tests take for granted.
#include <windows.h>
#include <winnetwk.h>

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <map>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "fixture.h"
#include "win32/handles.h"

namespace selvane::testing {
namespace {

namespace fx = fixture;

bool HasDrive(DWORD drives, wchar_t letter) { return (drives >> (letter - L'A')) & 1; }

std::wstring VolumeLabel(const wchar_t* root) {
    wchar_t label[MAX_PATH + 1] = {};
    EXPECT_TRUE(GetVolumeInformationW(root, label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0))
        << "root " << root << ", error " << GetLastError();
    return label;
}

// Size of an existing file, or -1.
std::int64_t SizeOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Name -> attributes of every entry FindFirstFileW reports for the pattern, without . and ..
std::map<std::wstring, DWORD> Entries(const std::wstring& pattern) {
    std::map<std::wstring, DWORD> entries;
    WIN32_FIND_DATAW data;
    const win32::UniqueFind find(FindFirstFileW(pattern.c_str(), &data));
    if (!find) return entries;
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") entries[name] = data.dwFileAttributes;
    } while (FindNextFileW(find.get(), &data));
    return entries;
}

TEST(PrefixTest, DrivesCDEAndNExist) {
    const DWORD drives = GetLogicalDrives();
    EXPECT_TRUE(HasDrive(drives, L'C'));
    EXPECT_TRUE(HasDrive(drives, fx::kDataLetter));
    EXPECT_TRUE(HasDrive(drives, fx::kPlainLetter));
    EXPECT_TRUE(HasDrive(drives, fx::kNetworkLetter));
}

TEST(PrefixTest, DataDriveIsFixedAndLabelledPlainDriveIsFixedWithoutLabel) {
    EXPECT_EQ(GetDriveTypeW(fx::kDataRoot), static_cast<UINT>(DRIVE_FIXED));
    EXPECT_EQ(VolumeLabel(fx::kDataRoot), fx::kDataLabel);
    EXPECT_EQ(GetDriveTypeW(fx::kPlainRoot), static_cast<UINT>(DRIVE_FIXED));
    EXPECT_EQ(VolumeLabel(fx::kPlainRoot), L"");
}

TEST(PrefixTest, NetworkDriveIsRemoteAndConnectedToTheShare) {
    EXPECT_EQ(GetDriveTypeW(fx::kNetworkRoot), static_cast<UINT>(DRIVE_REMOTE));

    wchar_t remote[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    ASSERT_EQ(WNetGetConnectionW(fx::kNetworkDevice, remote, &length), static_cast<DWORD>(NO_ERROR));
    EXPECT_EQ(std::wstring(remote), fx::kNetworkRemote);

    EXPECT_EQ(SizeOf(fx::kNetworkReadme), static_cast<std::int64_t>(fx::kNetworkReadmeSize));
    EXPECT_EQ(SizeOf(fx::kNetworkReadmeUnc), static_cast<std::int64_t>(fx::kNetworkReadmeSize));
    const DWORD pub = GetFileAttributesW(fx::kNetworkPub);
    ASSERT_NE(pub, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(pub & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(PrefixTest, FilesHaveTheirSizesBeyondTwoGigabytesToo) {
    EXPECT_EQ(SizeOf(fx::kZeroFile), static_cast<std::int64_t>(fx::kZeroSize));
    EXPECT_EQ(SizeOf(fx::kNineFile), static_cast<std::int64_t>(fx::kNineSize));
    EXPECT_EQ(SizeOf(fx::kThousandFile), static_cast<std::int64_t>(fx::kThousandSize));
    EXPECT_EQ(SizeOf(fx::kHugeFile), static_cast<std::int64_t>(fx::kHugeSize));
    EXPECT_EQ(SizeOf(fx::kPlainFirstFile), static_cast<std::int64_t>(fx::kPlainFirstSize));

    // FindFirstFileW splits the size the same way.
    WIN32_FIND_DATAW data;
    ASSERT_TRUE(win32::UniqueFind(FindFirstFileW(fx::kHugeFile, &data)));
    EXPECT_EQ((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow, fx::kHugeSize);
}

TEST(PrefixTest, HiddenAndSystemAttributesComeBackFromFindFirstFile) {
    const auto entries = Entries(std::wstring(fx::kDocs) + L"\\*");
    const auto attributes = [&](const std::wstring& path) -> DWORD {
        const auto found = entries.find(path.substr(path.rfind(L'\\') + 1));
        return found == entries.end() ? INVALID_FILE_ATTRIBUTES : found->second;
    };
    constexpr DWORD kMask = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
    EXPECT_EQ(attributes(fx::kHiddenFile) & kMask, static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(attributes(fx::kSystemFile) & kMask, static_cast<DWORD>(FILE_ATTRIBUTE_SYSTEM));
    EXPECT_EQ(attributes(fx::kHiddenFolder) & kMask,
              static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(attributes(fx::kSystemFolder) & kMask,
              static_cast<DWORD>(FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY));

    // Everything else in docs is plain, and exactly the names the fixture promises.
    std::set<std::wstring> plain_files, plain_folders;
    for (const auto& [name, attrs] : entries) {
        if (attrs & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
        (attrs & FILE_ATTRIBUTE_DIRECTORY ? plain_folders : plain_files).insert(name);
    }
    EXPECT_EQ(plain_files, std::set<std::wstring>(std::begin(fx::kDocsFiles), std::end(fx::kDocsFiles)));
    EXPECT_EQ(plain_folders, std::set<std::wstring>(std::begin(fx::kDocsFolders), std::end(fx::kDocsFolders)));
    EXPECT_EQ(entries.size(), plain_files.size() + plain_folders.size() + 4);
}

TEST(PrefixTest, LabelFileIsTheOnlyHiddenEntryOfTheDataRoot) {
    const auto entries = Entries(std::wstring(fx::kDataRoot) + L"*");
    std::set<std::wstring> hidden;
    for (const auto& [name, attrs] : entries) {
        if (attrs & FILE_ATTRIBUTE_HIDDEN) hidden.insert(name);
    }
    const std::wstring label_file = fx::kLabelFile;
    EXPECT_EQ(hidden, std::set<std::wstring>{label_file.substr(label_file.rfind(L'\\') + 1)});
}

TEST(PrefixTest, ManyHoldsThirtyThreeThousandFiles) {
    const auto entries = Entries(std::wstring(fx::kMany) + L"\\*");
    EXPECT_EQ(entries.size(), static_cast<size_t>(fx::kManyCount));
    EXPECT_EQ(entries.count(fx::kManyFirst), 1u);
    EXPECT_EQ(entries.count(fx::kManyLast), 1u);
    const auto directories = std::count_if(entries.begin(), entries.end(), [](const auto& entry) {
        return (entry.second & FILE_ATTRIBUTE_DIRECTORY) != 0;
    });
    EXPECT_EQ(directories, 0);
}

TEST(PrefixTest, DeepFileIsReachableWithTheLongPathPrefix) {
    const std::wstring folder = fx::kDeepFolder;
    EXPECT_GT(folder.size(), 300u);
    const std::wstring file = L"\\\\?\\" + folder + L"\\" + fx::kDeepFileName;
    const DWORD attributes = GetFileAttributesW(file.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << "error " << GetLastError();
    EXPECT_FALSE(attributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(Entries(L"\\\\?\\" + folder + L"\\*").count(fx::kDeepFileName), 1u);
}

TEST(PrefixTest, NonAsciiFileNameRoundTrips) {
    EXPECT_EQ(SizeOf(fx::kPlainAccentFile), static_cast<std::int64_t>(fx::kPlainAccentSize));
    const std::wstring path = fx::kPlainAccentFile;
    EXPECT_EQ(Entries(std::wstring(fx::kPlainRoot) + L"caf*").count(path.substr(3)), 1u);
}

TEST(PrefixTest, LocaleIsEnglishUsAndLocalTimeIsUtc) {
    EXPECT_EQ(GetUserDefaultLCID(), static_cast<LCID>(0x409));
    EXPECT_EQ(GetSystemDefaultLCID(), static_cast<LCID>(0x409));
    EXPECT_EQ(GetACP(), 1252u);

    // A fixture file's time comes back as the time the fixture set, in local time.
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExW(fx::kNineFile, GetFileExInfoStandard, &data));
    FILETIME local;
    SYSTEMTIME time;
    ASSERT_TRUE(FileTimeToLocalFileTime(&data.ftLastWriteTime, &local));
    ASSERT_TRUE(FileTimeToSystemTime(&local, &time));
    const fx::Time expected = fx::kFixtureTime;
    EXPECT_EQ(time.wYear, expected.year);
    EXPECT_EQ(time.wMonth, expected.month);
    EXPECT_EQ(time.wDay, expected.day);
    EXPECT_EQ(time.wHour, expected.hour);
    EXPECT_EQ(time.wMinute, expected.minute);
    EXPECT_EQ(time.wSecond, expected.second);
}

// With no window manager on the X display, a managed window would make Wine wait 2 s for one
// each time an active window goes away; the prefix leaves windows unmanaged.
TEST(PrefixTest, ActiveWindowIsDestroyedWithoutWaitingForAWindowManager) {
    const HWND window = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 200, 100,
                                        nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    SetForegroundWindow(window);
    ASSERT_EQ(GetActiveWindow(), window);

    const DWORD start = GetTickCount();
    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_LT(GetTickCount() - start, 1000u);
}

}  // namespace
}  // namespace selvane::testing
