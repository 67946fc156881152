// The file-system operations the logic performs.
#pragma once

#include <cstdint>
#include <functional>
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

    // Length in bytes of an existing file; a directory has length 0.
    virtual std::uint64_t FileLength(const std::u16string& path) = 0;

    virtual LocalTime LastWriteTime(const std::u16string& path) = 0;

    // Whether the path names an existing directory, hidden ones included. Never fails.
    virtual bool IsDirectory(const std::u16string& path) = 0;
};

}  // namespace selvane::host
