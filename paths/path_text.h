// Small operations on path text.
#pragma once

#include <string>

namespace selvane::paths {

// The directory with exactly one trailing backslash: "C:\" stays, "C:\Data" gives "C:\Data\".
// A file name or a pattern is appended to it.
inline std::u16string DirectoryPrefix(const std::u16string& directory) {
    if (!directory.empty() && directory.back() == u'\\') return directory;
    return directory + u'\\';
}

}  // namespace selvane::paths
