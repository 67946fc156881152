// Small operations on path text.
#pragma once

#include <string>
#include <string_view>

namespace selvane::paths {

// The directory with exactly one trailing backslash: "C:\" stays, "C:\Data" gives "C:\Data\".
// A file name or a pattern is appended to it.
inline std::u16string DirectoryPrefix(const std::u16string& directory) {
    if (!directory.empty() && directory.back() == u'\\') return directory;
    return directory + u'\\';
}

// The path as the directory list reads it while it shows `shown`: a path with a drive, or a
// network path, stands as it is ("d:x" is read as "d:\x"); one from the root alone is on the
// shown drive; anything else is under the shown folder. Either slash separates.
inline std::u16string AgainstFolder(const std::u16string& path, const std::u16string& shown) {
    auto separator = [](char16_t c) { return c == u'\\' || c == u'/'; };
    if (path.empty()) return path;
    if (path.size() >= 2 && path[1] == u':') {
        return path.size() == 2 || separator(path[2]) ? path : path.substr(0, 2) + u'\\' + path.substr(2);
    }
    if (separator(path[0])) return path.size() >= 2 && separator(path[1]) ? path : shown.substr(0, 2) + path;
    return DirectoryPrefix(shown) + path;
}

// The folder that holds a directory ("C:\Data\old" gives "C:\Data", "C:\Data" gives "C:\");
// empty for a root, a drive's or a network volume's ("\\server\share").
inline std::u16string ParentFolder(std::u16string_view directory) {
    while (directory.size() > 3 && directory.back() == u'\\') directory.remove_suffix(1);
    const std::size_t last = directory.find_last_of(u'\\');
    if (last == std::u16string_view::npos || last + 1 == directory.size()) return u"";
    if (last == 2 && directory[1] == u':') return std::u16string(directory.substr(0, 3));
    const std::u16string_view parent = directory.substr(0, last);
    const bool network = parent.size() >= 2 && parent[0] == u'\\' && parent[1] == u'\\';
    if (network && parent.find(u'\\', 2) == std::u16string_view::npos) return u"";
    return std::u16string(parent);
}

}  // namespace selvane::paths
