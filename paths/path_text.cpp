#include "paths/path_text.h"

#include <algorithm>

namespace selvane::paths {
namespace {

constexpr std::u16string_view kSeparators = u"\\/";
constexpr std::u16string_view kExtendedPrefix = u"\\\\?\\";
constexpr std::u16string_view kExtendedNetworkPrefix = u"\\\\?\\UNC\\";

bool HasDrive(std::u16string_view path) { return path.size() >= 2 && path[1] == u':'; }

// Whether the path's drive is the folder's: the same letter, whatever its case.
bool OnDriveOf(std::u16string_view path, std::u16string_view folder) {
    return HasDrive(folder) && FoldAscii(folder[0]) == FoldAscii(path[0]);
}

std::size_t RootLength(std::u16string_view path, PathKind kind) {
    switch (kind) {
    case PathKind::kDriveRooted: return 3;
    case PathKind::kDriveRelative:
    case PathKind::kBareDrive: return 2;
    case PathKind::kNetwork: {
        const std::size_t server_end = path.find_first_of(kSeparators, 2);
        if (server_end == std::u16string_view::npos) return path.size();
        const std::size_t share_end = path.find_first_of(kSeparators, server_end + 1);
        return share_end == std::u16string_view::npos ? path.size() : share_end;
    }
    default: return 0;
    }
}

std::u16string DriveOf(std::u16string_view path) {
    const PathKind kind = KindOf(path);
    std::u16string_view root = path.substr(0, RootLength(path, kind));
    if (kind == PathKind::kDriveRooted) root.remove_suffix(1);
    return std::u16string(root);
}

std::vector<std::u16string> Components(std::u16string_view path, std::size_t root) {
    std::vector<std::u16string> names;
    std::size_t start = root;
    while (start < path.size()) {
        if (IsSeparator(path[start])) {
            ++start;
            continue;
        }
        std::size_t end = path.find_first_of(kSeparators, start);
        if (end == std::u16string_view::npos) end = path.size();
        names.emplace_back(path.substr(start, end - start));
        start = end;
    }
    return names;
}

bool StartsWith(std::u16string_view text, std::u16string_view start) { return text.substr(0, start.size()) == start; }

}  // namespace

std::u16string FoldAscii(std::u16string_view text) {
    std::u16string folded(text);
    for (char16_t& c : folded) c = FoldAscii(c);
    return folded;
}

bool SameFoldingAscii(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) { return FoldAscii(x) == FoldAscii(y); });
}

PathKind KindOf(std::u16string_view path) {
    if (path.empty()) return PathKind::kEmpty;
    if (HasDrive(path)) {
        if (path.size() == 2) return PathKind::kBareDrive;
        return IsSeparator(path[2]) ? PathKind::kDriveRooted : PathKind::kDriveRelative;
    }
    if (!IsSeparator(path[0])) return PathKind::kRelative;
    return path.size() >= 2 && IsSeparator(path[1]) ? PathKind::kNetwork : PathKind::kRootRelative;
}

ParsedPath Parse(std::u16string_view path) {
    ParsedPath parsed;
    if (StartsWith(path, kExtendedNetworkPrefix)) {
        parsed.text = u"\\\\" + std::u16string(path.substr(kExtendedNetworkPrefix.size()));
        parsed.extended = true;
    } else if (StartsWith(path, kExtendedPrefix)) {
        parsed.text = std::u16string(path.substr(kExtendedPrefix.size()));
        parsed.extended = true;
    } else {
        parsed.text = std::u16string(path);
    }
    parsed.kind = KindOf(parsed.text);
    parsed.root_length = RootLength(parsed.text, parsed.kind);
    parsed.components = Components(parsed.text, parsed.root_length);
    return parsed;
}

bool ParsedPath::HasDrive() const {
    return kind == PathKind::kDriveRooted || kind == PathKind::kDriveRelative || kind == PathKind::kBareDrive;
}

std::u16string ParsedPath::Drive() const {
    std::u16string_view root = Root();
    if (kind == PathKind::kDriveRooted) root.remove_suffix(1);
    return std::u16string(root);
}

std::u16string ParsedPath::Server() const {
    if (kind != PathKind::kNetwork) return u"";
    const std::u16string_view root = Root();
    std::size_t end = 2;
    while (end < root.size() && !IsSeparator(root[end])) ++end;
    return std::u16string(root.substr(0, end));
}

ParsedPath ParsedPath::Resolved() const {
    ParsedPath resolved = *this;
    resolved.components.clear();
    for (const std::u16string& name : components) {
        if (name == u"..") {
            if (!resolved.components.empty()) resolved.components.pop_back();
        } else if (name != u".") {
            resolved.components.push_back(name);
        }
    }
    resolved.text = std::u16string(Root());
    for (const std::u16string& name : resolved.components) {
        if (!resolved.text.empty() && !IsSeparator(resolved.text.back())) resolved.text += u'\\';
        resolved.text += name;
    }
    return resolved;
}

std::u16string ParsedPath::ExtendedForm() const {
    if (kind == PathKind::kNetwork) return std::u16string(kExtendedNetworkPrefix) + text.substr(2);
    return std::u16string(kExtendedPrefix) + text;
}

bool FitsSystemName(const ParsedPath& full_path) {
    // The extended form and its closing NUL.
    const std::size_t prefix = full_path.kind == PathKind::kNetwork ? kExtendedNetworkPrefix.size() - 2
                                                                      : kExtendedPrefix.size();
    return full_path.text.size() + prefix + 1 <= kLongestSystemName;
}

std::u16string RootOfDrive(std::u16string_view drive) { return std::u16string(drive.substr(0, 2)) + u'\\'; }
std::u16string RootOfDrive(char16_t letter) { return {letter, u':', u'\\'}; }

std::u16string DirectoryPrefix(std::u16string_view directory) {
    std::u16string prefix(directory);
    if (prefix.empty() || !IsSeparator(prefix.back())) prefix += u'\\';
    return prefix;
}

std::u16string Join(std::u16string_view directory, std::u16string_view name) {
    return DirectoryPrefix(directory).append(name);
}

std::u16string AgainstFolder(const ParsedPath& parsed, std::u16string_view folder, Reading reading) {
    if (parsed.extended) return parsed.ExtendedForm();
    const std::u16string& path = parsed.text;
    switch (parsed.kind) {
    case PathKind::kEmpty: return std::u16string(folder);
    case PathKind::kDriveRooted:
    case PathKind::kNetwork: return path;
    case PathKind::kBareDrive: return OnDriveOf(path, folder) ? std::u16string(folder) : path + u'\\';
    case PathKind::kDriveRelative:
        if (reading == Reading::kSystem && OnDriveOf(path, folder)) return Join(folder, parsed.text.substr(2));
        return path.substr(0, 2) + u'\\' + path.substr(2);
    case PathKind::kRootRelative: return DriveOf(folder) + path;
    case PathKind::kRelative: break;
    }
    return Join(folder, path);
}

FolderAndName SplitName(std::u16string_view path) {
    if (const std::size_t slash = path.find_last_of(kSeparators); slash != std::u16string_view::npos) {
        return {std::u16string(path.substr(0, slash + 1)), std::u16string(path.substr(slash + 1))};
    }
    if (HasDrive(path)) return {std::u16string(path.substr(0, 2)), std::u16string(path.substr(2))};
    return {u"", std::u16string(path)};
}

std::u16string ParentFolder(std::u16string_view directory) {
    while (directory.size() > 3 && IsSeparator(directory.back())) directory.remove_suffix(1);
    const std::size_t last = directory.find_last_of(kSeparators);
    if (last == std::u16string_view::npos || last + 1 == directory.size()) return u"";
    if (last == 2 && HasDrive(directory)) return std::u16string(directory.substr(0, 3));
    const std::u16string_view parent = directory.substr(0, last);
    // "\\server" alone holds no folder.
    if (KindOf(parent) == PathKind::kNetwork && parent.find_first_of(kSeparators, 2) == std::u16string_view::npos) {
        return u"";
    }
    return std::u16string(parent);
}

std::u16string BeforeLastBackslash(std::u16string_view text) {
    return std::u16string(text.substr(0, text.rfind(u'\\')));
}

std::u16string FolderOfFile(std::u16string_view path) {
    std::u16string folder = BeforeLastBackslash(path);
    if (folder.size() == 2) folder += u'\\';
    return folder;
}

}  // namespace selvane::paths
