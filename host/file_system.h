// The file-system operations the logic performs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "host/types.h"

namespace selvane::host {

// An entry qualifies for an enumeration when its hidden, system and directory attributes are
// all contained in the mask; read-only and archive don't matter. Mask 0 gives normal files,
// 2 adds hidden ones, 16 adds directories.
inline constexpr bool QualifiesForMask(std::uint32_t attributes, std::uint32_t mask) {
    constexpr std::uint32_t kFiltered = attr::kHidden | attr::kSystem | attr::kDirectory;
    return (attributes & kFiltered & ~mask) == 0;
}

// What Stat reads of a file. modified is empty when the system can't show the file's time as a
// local time (a time stamp beyond what the calendar functions take).
struct FileStat {
    std::uint64_t length = 0;
    std::optional<LocalTime> modified;
};

// Every operation takes the path (directory, separator and pattern, as the control composes
// it) as Windows does: text of paths::kLongestSystemName units or more is refused as it stands,
// and shorter text by its full form (paths::FitsSystemName). A refused path is never handed to the system
// and names nothing: it matches nothing, is no directory, and its length or time can't be read
// (52, bad file name).
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Calls on_match with the bare name of each entry that matches the path's last component
    // (* and ? as wildcards, case ignored) and qualifies for the mask, until on_match returns
    // false. A path ending in "\" matches every entry of that directory. A directory that
    // doesn't exist matches nothing; a drive that can't be read, or a malformed path, fails.
    // If the enumeration breaks off midway, the names reported so far stand.
    virtual void Enumerate(const std::u16string& path, std::uint32_t mask,
                           const std::function<bool(const std::u16string& name)>& on_match) = 0;

    // An existing file's or directory's length in bytes (0 for a directory) and last-write
    // time, read together.
    virtual FileStat Stat(const std::u16string& path) = 0;

    // Whether the path names an existing directory, hidden ones included. Never fails.
    virtual bool IsDirectory(const std::u16string& path) = 0;

    // Whether the system has a drive at the letter now, whether or not it can be read: a drive
    // whose server or medium doesn't answer is still there. Asks no drive; never fails.
    virtual bool HasDrive(char16_t letter) const = 0;
};

}  // namespace selvane::host
