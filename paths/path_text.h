// The one reading of path text: the kinds of path, the separators, joining, the parent, the
// drive of a path, and where a path leads when read from a folder. Pure functions: the logic
// uses them to read ahead of the lists, and both host backends to read what they are handed
// before they make their own calls.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace selvane::paths {

// Either slash separates.
inline constexpr bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// What a path starts from. Any character before a colon counts as a drive here; whether it names
// one is for the file system to say.
enum class PathKind {
    kEmpty,
    kDriveRooted,    // "d:\x"
    kDriveRelative,  // "d:x"
    kBareDrive,      // "d:"
    kNetwork,        // "\\server\share\x", with either separator
    kRootRelative,   // "\x": from the root of the folder's drive
    kRelative,       // "x": under the folder
};
PathKind KindOf(std::u16string_view path);

// Whether the path starts with a drive and a colon (rooted, relative or bare).
bool HasDrive(std::u16string_view path);

// Where a full path's root ends: after "c:\" (or "c:" alone), after "\\server\share"; 0 for a
// path with no root of its own.
std::size_t RootLength(std::u16string_view path);

// The drive a path is on, without a trailing separator: "c:" of "c:\data" or "c:data",
// "\\server\share" of a network path; empty for a path that doesn't say.
std::u16string DriveOf(std::u16string_view path);

// The names below the root, in order; repeated separators give no empty names.
std::vector<std::u16string> Components(std::u16string_view path, std::size_t root);

// The directory with exactly one trailing separator: "C:\" stays, "C:\Data" gives "C:\Data\".
// A file name or a pattern is appended to it.
std::u16string DirectoryPrefix(std::u16string_view directory);

// A name under a directory, one separator between them.
std::u16string Join(std::u16string_view directory, std::u16string_view name);

// How "d:x" is read. The directory list takes it from d:'s root; the system, from its current
// folder when that is on d:. A bare "d:" is the folder itself when that is on d:, else d:'s root,
// for both.
enum class Reading { kDirectoryList, kSystem };

// The path as read from `folder` (a full path): a rooted or network path stands as it is, one
// from the root alone is on the folder's drive, anything else is under the folder; an empty one
// is the folder itself.
std::u16string AgainstFolder(std::u16string_view path, std::u16string_view folder,
                             Reading reading = Reading::kDirectoryList);

// The folder and the last name of a path, split after its last separator or after a bare
// drive's colon: "c:\a\*.txt" gives "c:\a\" and "*.txt", "d:*.txt" gives "d:" and "*.txt".
struct FolderAndName {
    std::u16string folder;
    std::u16string name;
};
FolderAndName SplitName(std::u16string_view path);

// The folder that holds a directory ("C:\Data\old" gives "C:\Data", "C:\Data" gives "C:\");
// empty for a root, a drive's or a network volume's ("\\server\share").
std::u16string ParentFolder(std::u16string_view directory);

// Everything before the last backslash, or the whole text when it has none; no backslash is put
// back, even after a bare drive ("c:\a.txt" gives "c:").
std::u16string BeforeLastBackslash(std::u16string_view text);

// The folder a file's path is in: as BeforeLastBackslash, but a drive keeps its root
// ("c:\a.txt" gives "c:\").
std::u16string FolderOfFile(std::u16string_view path);

}  // namespace selvane::paths
