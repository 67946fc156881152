// The one reading of path text: a path parsed once into its kind, root, drive, names and
// extended-length prefix; the separators, joining, the parent, the longest name the system takes,
// and where a path leads when read from a folder. Pure functions: the logic parses what a host
// hands it and hands the parsed path down to the lists; both host backends parse what the system
// gives them before they make their own calls.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace selvane::paths {

// Either slash separates.
inline constexpr bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// What a path starts from. Any character before a colon counts as a drive here; whether it names
// one is for the file system to say. Two separators first make a network path, the one
// definition of it (a network path in server form narrows it, paths/network_volumes.h).
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

// The one case fold of path text (a drive's letter, a device's name) and of the names stored
// settings use: A to Z only, as the system folds them whatever the user's language.
inline constexpr char16_t FoldAscii(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}
std::u16string FoldAscii(std::u16string_view text);
bool SameFoldingAscii(std::u16string_view a, std::u16string_view b);

// The most UTF-16 units the system takes as a file's name in its extended-length form
// ("\\?\c:\..." or "\\?\UNC\server\share\..."), the closing NUL included. No file or folder
// has a longer name.
inline constexpr std::size_t kLongestSystemName = 32767;

// A path read once: what it starts from, where its root ends and the names below it. Whoever
// needs more than one of these of a path parses it and asks the parsed form, never the text.
struct ParsedPath {
    std::u16string text;  // the path, without an extended-length prefix
    PathKind kind = PathKind::kEmpty;
    // It came in extended-length form, "\\?\c:\..." or "\\?\UNC\server\share\...".
    bool extended = false;
    // Where the root ends in text: after "c:\" (or "c:" alone), after "\\server\share"; 0 for a
    // path with no root of its own.
    std::size_t root_length = 0;
    // The names below the root, in order; repeated separators give no empty names.
    std::vector<std::u16string> components;

    // Whether it starts with a drive and a colon (rooted, relative or bare).
    bool HasDrive() const;
    // Its drive's letter as written, or 0 when it names no drive.
    char16_t DriveLetter() const { return HasDrive() ? text[0] : u'\0'; }
    std::u16string_view Root() const { return std::u16string_view(text).substr(0, root_length); }
    // The drive it is on, without a trailing separator: "c:" of "c:\data" or "c:data",
    // "\\server\share" of a network path; empty for a path that doesn't say.
    std::u16string Drive() const;
    // The server of a network path, "\\server" of "\\server\share\docs"; empty for any other.
    std::u16string Server() const;
    // Whether it is its root and nothing more ("c:\", "\\server\share", a bare "d:").
    bool IsRoot() const { return components.empty() && root_length > 0; }
    // "." and ".." gone as the system makes a full path: ".." above the root stays at the root.
    ParsedPath Resolved() const;
    // The text with the extended-length prefix the system takes at any length: "\\?\" before a
    // drive path, "\\?\UNC" in place of a network path's own two separators.
    std::u16string ExtendedForm() const;
};
ParsedPath Parse(std::u16string_view path);

// Whether a full path (".", ".." and repeated separators resolved) is short enough to name
// anything: its extended-length form fits kLongestSystemName. The longest drive path that does
// is 32,762 units long.
bool FitsSystemName(const ParsedPath& full_path);

// The root of the drive a text names by its first two characters ("c:" and a drive list's entry
// "c: [system]" both give "c:\"), or of a drive's letter.
std::u16string RootOfDrive(std::u16string_view drive);
std::u16string RootOfDrive(char16_t letter);

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
// is the folder itself. An extended-length path stands as it came.
std::u16string AgainstFolder(const ParsedPath& path, std::u16string_view folder,
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
