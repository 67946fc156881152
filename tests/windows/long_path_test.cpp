// Paths and patterns at and beyond the longest name Windows takes, through the Win32 file system
// and through every member and load of the registered control. Wine 8 overran its heap on such
// a path and ended the process; here each must answer as for a name that doesn't exist.
#include <windows.h>
#include <ocidl.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "control/settings_record.h"
#include "host/file_system.h"
#include "paths/path_text.h"
#include "win32/win32_base.h"
#include "win32/win32_file_system.h"
#include "tests/common/host_checks.h"
#include "tests/windows/com_support.h"
#include "tests/windows/hosted_control.h"

namespace selvane::testing {
namespace {

constexpr std::size_t kLongestText = paths::kLongestSystemName - 1;       // 32,766: still looked at
constexpr std::size_t kLongestDrivePath = paths::kLongestSystemName - 5;  // 32,762: "\\?\" and NUL
// Both sides of each limit, and the length a fuzzing campaign first crashed the control with.
const std::vector<std::size_t> kTooLong = {kLongestText + 1, kLongestText + 2, 70000};

// Exactly `length` units: head, then as many fill units as it takes, then tail.
std::wstring Sized(const std::wstring& head, std::size_t length, wchar_t fill, const std::wstring& tail) {
    return head + std::wstring(length - head.size() - tail.size(), fill) + tail;
}

// A drive, a run of backslashes and a name: long text whose full form is short.
std::wstring LongText(std::size_t length, const std::wstring& name) { return Sized(L"D:", length, L'\\', name); }

std::u16string U(const std::wstring& text) { return win32::Utf16(text); }

int Count(host::FileSystem& files, const std::wstring& path) { return static_cast<int>(Matches(files, U(path)).size()); }

TEST(LongPaths, TheWin32FileSystemLooksAtTextUpTo32766UnitsAndNoFurther) {
    win32::Win32FileSystem files;
    EXPECT_EQ(files.Stat(U(LongText(kLongestText, L"nine.txt"))).length, 999u);
    EXPECT_TRUE(files.IsDirectory(U(LongText(kLongestText, L"docs"))));
    EXPECT_EQ(Count(files, LongText(kLongestText, L"docs\\*.txt")), 4);

    for (std::size_t length : kTooLong) {
        SCOPED_TRACE(length);
        EXPECT_EQ(ErrorOf([&] { files.Stat(U(LongText(length, L"nine.txt"))).length; }), errc::kBadFileName);
        EXPECT_EQ(ErrorOf([&] { files.Stat(U(LongText(length, L"nine.txt"))).modified.value(); }), errc::kBadFileName);
        EXPECT_FALSE(files.IsDirectory(U(LongText(length, L"docs"))));
        EXPECT_EQ(Count(files, LongText(length, L"docs\\*.txt")), 0);
        EXPECT_EQ(Count(files, Sized(L"", length, L'x', L"")), 0) << "relative text";
    }
}

TEST(LongPaths, APatternWhoseFullFormOutgrowsTheSystemMatchesNothing) {
    win32::Win32FileSystem files;
    // Stars match every name, so only the length decides.
    EXPECT_EQ(Count(files, Sized(L"D:\\docs\\", kLongestDrivePath, L'*', L"")), 5);
    EXPECT_EQ(Count(files, Sized(L"D:\\docs\\", kLongestDrivePath + 1, L'*', L"")), 0);
    EXPECT_EQ(Count(files, Sized(L"\\\\fakesrv\\share\\", kLongestDrivePath - 2, L'*', L"")), 1);
    EXPECT_EQ(Count(files, Sized(L"\\\\fakesrv\\share\\", kLongestDrivePath - 1, L'*', L"")), 0);
}

class LongPathControl : public HostedControl {
protected:
    void SetUp() override {
        HostedControl::SetUp();
        if (HasFatalFailure()) return;
        Activate(OLEIVERB_INPLACEACTIVATE);
        SetPath(L"D:\\docs");
    }

    int FileCount() { return static_cast<int>(::SendMessageW(ChildOf(surface, L"ListBox"), LB_GETCOUNT, 0, 0)); }

    void SetFileType(const std::wstring& pattern) {
        EXPECT_EQ(selvane->put_FileType(Bstr(pattern.c_str()).get()), S_OK);
    }
    std::wstring FileType() {
        Bstr pattern;
        EXPECT_EQ(selvane->get_FileType(pattern.put()), S_OK);
        return pattern.str();
    }
    std::wstring Path() {
        Bstr path;
        EXPECT_EQ(selvane->get_Path(path.put()), S_OK);
        return path.str();
    }
    VARIANT_BOOL FileExists(const std::wstring& path) {
        VARIANT_BOOL exists = 1;
        EXPECT_EQ(selvane->FileExists(Bstr(path.c_str()).get(), &exists), S_OK);
        return exists;
    }
    VARIANT_BOOL DirExists(const std::wstring& path) {
        VARIANT_BOOL exists = 1;
        EXPECT_EQ(selvane->DirExists(Bstr(path.c_str()).get(), &exists), S_OK);
        return exists;
    }
};

TEST_F(LongPathControl, APatternTooLongForTheSystemListsNothingAndStaysThePattern) {
    ASSERT_EQ(FileCount(), 5);
    SetFileType(Sized(L"D:\\docs\\", kLongestDrivePath, L'*', L"").substr(8));
    EXPECT_EQ(FileCount(), 5);

    std::vector<std::size_t> lengths = {kLongestDrivePath + 1};
    lengths.insert(lengths.end(), kTooLong.begin(), kTooLong.end());
    for (std::size_t length : lengths) {
        SCOPED_TRACE(length);
        const std::wstring pattern = Sized(L"D:\\docs\\*.", length, L'*', L"").substr(8);
        SetFileType(pattern);
        EXPECT_EQ(FileCount(), 0);
        EXPECT_EQ(FileType(), pattern);
        EXPECT_EQ(selvane->RefreshFiles(), S_OK);
        EXPECT_EQ(FileCount(), 0);
        SetFileType(L"*.*");
        EXPECT_EQ(FileCount(), 5);
    }
}

TEST_F(LongPathControl, PathAndTheQueriesTreatOverlongTextAsANameThatDoesNotExist) {
    SetPath(LongText(kLongestText, L"docs\\letters").c_str());
    EXPECT_EQ(Path(), L"D:\\docs\\letters");
    EXPECT_EQ(FileExists(LongText(kLongestText, L"nine.txt")), VARIANT_TRUE);
    EXPECT_EQ(DirExists(LongText(kLongestText, L"docs")), VARIANT_TRUE);

    SetPath(L"D:\\docs");
    for (std::size_t length : kTooLong) {
        SCOPED_TRACE(length);
        SetPath(LongText(length, L"docs\\letters").c_str());
        EXPECT_EQ(Path(), L"D:\\docs") << "the lists stay where they were";
        EXPECT_EQ(FileCount(), 5);
        SetPath(Sized(L"", length, L'x', L"").c_str());
        EXPECT_EQ(Path(), L"D:\\docs") << "relative text";
        EXPECT_EQ(FileExists(LongText(length, L"nine.txt")), VARIANT_FALSE);
        EXPECT_EQ(FileExists(Sized(L"", length, L'x', L"")), VARIANT_FALSE);
        EXPECT_EQ(DirExists(LongText(length, L"docs")), VARIANT_FALSE);
        EXPECT_EQ(DirExists(Sized(L"", length, L'*', L"")), VARIANT_FALSE);
    }
}

TEST(LongPaths, LoadingSkipsAnOverlongFolderAndKeepsAnOverlongPattern) {
    for (std::size_t length : kTooLong) {
        SCOPED_TRACE(length);
        auto bag = Make<RecordingBag>();
        const std::wstring pattern = Sized(L"*.", length, L'*', L"");
        bag->PutText(L"Path", LongText(length, L"docs"));
        bag->PutText(L"FileType", pattern);
        ComPtr<IUnknown> control = CreateSelvane();
        ASSERT_EQ(As<IPersistPropertyBag>(control)->Load(bag.get(), bag.get()), S_OK);
        ASSERT_EQ(bag->errors.size(), 1u);
        EXPECT_EQ(bag->errors[0].first, L"Path");
        Bstr loaded;
        ASSERT_EQ(As<_Selvane>(control)->get_FileType(loaded.put()), S_OK);
        EXPECT_EQ(loaded.str(), pattern);
        EXPECT_EQ(ReleaseLast(control), 0u);
    }
}

// The same values in a saved stream, which has no error log: the folder is skipped quietly.
TEST(LongPaths, AStreamWithAnOverlongFolderAndPatternLoads) {
    SettingsRecord record;
    record.WriteString(u"Path", U(LongText(70000, L"docs")), u"C:\\");
    record.WriteString(u"FileType", U(Sized(L"*.", 70000, L'*', L"")), u"*.*");
    const std::vector<std::uint8_t> bytes = record.Encode();
    ComPtr<IStream> stream;
    ASSERT_EQ(::CreateStreamOnHGlobal(nullptr, TRUE, stream.put()), S_OK);
    ULONG written = 0;
    ASSERT_EQ(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written), S_OK);
    ASSERT_EQ(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr), S_OK);

    ComPtr<IUnknown> control = CreateSelvane();
    ASSERT_EQ(As<IPersistStreamInit>(control)->Load(stream.get()), S_OK);
    Bstr path;
    ASSERT_EQ(As<_Selvane>(control)->get_Path(path.put()), S_OK);
    EXPECT_EQ(path.str(), L"C:\\");
    Bstr pattern;
    ASSERT_EQ(As<_Selvane>(control)->get_FileType(pattern.put()), S_OK);
    EXPECT_EQ(pattern.str().size(), 70000u);
    EXPECT_EQ(ReleaseLast(control), 0u);
}

}  // namespace
}  // namespace selvane::testing
