#include "host/memory/memory_file_system.h"

#include <algorithm>
#include <stdexcept>

#include "host/drive_entry.h"
#include "host/error.h"
#include "host/memory/memory_locale.h"

namespace selvane::memory {
namespace {

// The drive map's key: the lower-case letter, or 0 for anything that can't name a drive.
char16_t DriveKey(char16_t letter) {
    if (letter >= u'A' && letter <= u'Z') return static_cast<char16_t>(letter - u'A' + u'a');
    if (letter >= u'a' && letter <= u'z') return letter;
    return 0;
}

bool HasWildcard(const std::u16string& text) {
    return text.find_first_of(u"*?") != std::u16string::npos;
}

// "?" matches one unit, "*" any run. Greedy with a single backtrack point, which is enough
// because a later "*" can absorb whatever an earlier one would have.
bool MatchWild(std::u16string_view pattern, std::u16string_view name) {
    std::size_t p = 0, n = 0;
    std::size_t star = std::u16string_view::npos, star_n = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            star = p++;
            star_n = n;
        } else if (p < pattern.size() && (pattern[p] == u'?' || LowerChar(pattern[p]) == LowerChar(name[n]))) {
            ++p;
            ++n;
        } else if (star != std::u16string_view::npos) {
            p = star + 1;
            n = ++star_n;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') ++p;
    return p == pattern.size();
}

// A pattern ending in ".*" also takes names without any dot, so "*.*" lists "README".
bool MatchesPattern(const std::u16string& pattern, const std::u16string& name) {
    if (pattern.empty() || MatchWild(pattern, name)) return true;
    std::u16string_view view = pattern;
    return view.size() >= 2 && view.substr(view.size() - 2) == u".*" &&
           name.find(u'.') == std::u16string::npos && MatchWild(view.substr(0, view.size() - 2), name);
}

}  // namespace

// "x:\..." with "." and ".." and repeated "\" resolved; false when it isn't absolute.
bool MemoryFileSystem::ParseAbsolute(const std::u16string& path, ParsedPath& parsed) {
    if (path.size() < 3 || DriveKey(path[0]) == 0 || path[1] != u':' || path[2] != u'\\') return false;
    parsed.letter = DriveKey(path[0]);
    parsed.components.clear();
    std::size_t start = 3;
    while (start <= path.size()) {
        std::size_t end = path.find(u'\\', start);
        if (end == std::u16string::npos) end = path.size();
        std::u16string component = path.substr(start, end - start);
        if (component == u"..") {
            // Above the root is the root, as Windows has it.
            if (!parsed.components.empty()) parsed.components.pop_back();
        } else if (!component.empty() && component != u".") {
            parsed.components.push_back(std::move(component));
        }
        start = end + 1;
    }
    return true;
}

bool MemoryFileSystem::CanName(const std::u16string& path) {
    if (path.size() >= host::kLongestSystemName) return false;
    ParsedPath parsed;
    // Text that is no absolute path is refused by the rules of each call, not for its length.
    if (!ParseAbsolute(path, parsed)) return true;
    std::u16string full{parsed.letter, u':', u'\\'};
    for (std::size_t i = 0; i < parsed.components.size(); ++i) {
        if (i > 0) full += u'\\';
        full += parsed.components[i];
    }
    return host::FitsSystemName(full);
}

MemoryFileSystem::Node* MemoryFileSystem::Node::Child(const std::u16string& child_name) const {
    auto found = children.find(LowerCase(child_name));
    return found == children.end() ? nullptr : found->second.get();
}

MemoryFileSystem::Node& MemoryFileSystem::Node::Adopt(std::unique_ptr<Node> child) {
    Node& adopted = *child;
    order.push_back(&adopted);
    children.emplace(LowerCase(adopted.name), std::move(child));
    return adopted;
}

MemoryFileSystem::MemoryFileSystem() = default;
MemoryFileSystem::~MemoryFileSystem() = default;

MemoryFileSystem::Drive& MemoryFileSystem::AddDrive(char16_t letter, DriveKind kind,
                                                    std::u16string label_or_unc, bool ready) {
    char16_t key = DriveKey(letter);
    if (key == 0) throw std::invalid_argument("a drive letter must be a letter");
    Drive& drive = drives_[key];
    drive.kind = kind;
    drive.label_or_unc = std::move(label_or_unc);
    drive.ready = ready;
    return drive;
}

void MemoryFileSystem::AddLocalDrive(char16_t letter, std::u16string label) {
    AddDrive(letter, DriveKind::kLocal, std::move(label), true);
}

void MemoryFileSystem::AddRemovableDrive(char16_t letter, bool ready) {
    AddDrive(letter, DriveKind::kRemovable, u"", ready);
}

void MemoryFileSystem::AddNetworkDrive(char16_t letter, std::u16string unc, bool connected) {
    AddDrive(letter, DriveKind::kNetwork, std::move(unc), connected);
}

void MemoryFileSystem::SetReady(char16_t letter, bool ready) {
    auto found = drives_.find(DriveKey(letter));
    if (found == drives_.end()) throw std::invalid_argument("no drive with that letter");
    found->second.ready = ready;
}

const MemoryFileSystem::Drive* MemoryFileSystem::FindDrive(char16_t letter) const {
    auto found = drives_.find(DriveKey(letter));
    return found == drives_.end() ? nullptr : &found->second;
}

const MemoryFileSystem::Drive& MemoryFileSystem::ReadableDrive(char16_t letter) const {
    const Drive* drive = FindDrive(letter);
    if (drive == nullptr) Raise(errc::kDeviceUnavailable);
    if (!drive->ready) {
        // A disconnected share is as absent as a missing drive; a drive without its medium is
        // there but not ready.
        Raise(drive->kind == DriveKind::kNetwork ? errc::kDeviceUnavailable : errc::kDiskNotReady);
    }
    return *drive;
}

const MemoryFileSystem::Node* MemoryFileSystem::Find(const ParsedPath& path) const {
    const Drive* drive = FindDrive(path.letter);
    if (drive == nullptr) return nullptr;
    const Node* node = &drive->root;
    for (const std::u16string& component : path.components) {
        if (!node->IsDirectory()) return nullptr;
        node = node->Child(component);
        if (node == nullptr) return nullptr;
    }
    return node;
}

MemoryFileSystem::Node& MemoryFileSystem::SetupParent(const std::u16string& path, std::u16string& leaf) {
    ParsedPath parsed;
    if (!CanName(path)) throw std::invalid_argument("no file or folder can have so long a name");
    if (!ParseAbsolute(path, parsed) || parsed.components.empty()) {
        throw std::invalid_argument("expected an absolute path below a drive root");
    }
    auto drive = drives_.find(parsed.letter);
    if (drive == drives_.end()) throw std::invalid_argument("no drive with that letter");
    leaf = std::move(parsed.components.back());
    parsed.components.pop_back();
    Node* node = &drive->second.root;
    for (std::u16string& component : parsed.components) {
        Node* child = node->Child(component);
        if (child == nullptr) {
            auto created = std::make_unique<Node>();
            created->name = std::move(component);
            child = &node->Adopt(std::move(created));
        } else if (!child->IsDirectory()) {
            throw std::invalid_argument("a file is in the way");
        }
        node = child;
    }
    return *node;
}

void MemoryFileSystem::AddDirectory(const std::u16string& path, std::uint32_t attributes) {
    ParsedPath parsed;
    if (ParseAbsolute(path, parsed) && parsed.components.empty()) {
        if (FindDrive(parsed.letter) == nullptr) throw std::invalid_argument("no drive with that letter");
        return;  // A root always exists.
    }
    std::u16string leaf;
    Node& parent = SetupParent(path, leaf);
    if (Node* existing = parent.Child(leaf)) {
        if (!existing->IsDirectory()) throw std::invalid_argument("a file is in the way");
        existing->attributes = attributes | attr::kDirectory;
        return;
    }
    auto created = std::make_unique<Node>();
    created->name = std::move(leaf);
    created->attributes = attributes | attr::kDirectory;
    parent.Adopt(std::move(created));
}

void MemoryFileSystem::AddFile(const std::u16string& path, std::uint64_t size, LocalTime modified,
                               std::uint32_t attributes) {
    std::u16string leaf;
    Node& parent = SetupParent(path, leaf);
    Node* file = parent.Child(leaf);
    if (file == nullptr) {
        auto created = std::make_unique<Node>();
        created->name = leaf;
        file = &parent.Adopt(std::move(created));
    } else if (file->IsDirectory()) {
        throw std::invalid_argument("a directory is in the way");
    }
    file->name = std::move(leaf);
    file->size = size;
    file->modified = modified;
    file->attributes = attributes & ~attr::kDirectory;
}

void MemoryFileSystem::Remove(const std::u16string& path) {
    ParsedPath parsed;
    if (!ParseAbsolute(path, parsed) || parsed.components.empty()) {
        throw std::invalid_argument("expected an absolute path below a drive root");
    }
    std::u16string leaf = std::move(parsed.components.back());
    parsed.components.pop_back();
    auto* parent = const_cast<Node*>(Find(parsed));
    if (parent == nullptr || !parent->IsDirectory()) return;
    auto found = parent->children.find(LowerCase(leaf));
    if (found == parent->children.end()) return;
    parent->order.erase(std::find(parent->order.begin(), parent->order.end(), found->second.get()));
    parent->children.erase(found);
}

std::vector<std::u16string> MemoryFileSystem::DriveEntries() const {
    std::vector<std::u16string> entries;
    for (const auto& [letter, drive] : drives_) {
        // A removable medium's label changes with the medium, so the list never shows it.
        entries.push_back(host::FormatDriveEntry(
            letter, drive.kind == DriveKind::kRemovable ? std::u16string() : drive.label_or_unc));
    }
    return entries;
}

bool MemoryFileSystem::HasDrive(char16_t letter) const { return FindDrive(letter) != nullptr; }

std::u16string MemoryFileSystem::ResolveDirectory(const std::u16string& absolute_path) const {
    ParsedPath parsed;
    if (!CanName(absolute_path) || !ParseAbsolute(absolute_path, parsed)) Raise(errc::kPathNotFound);
    ReadableDrive(parsed.letter);
    const Node* node = HasWildcard(absolute_path) ? nullptr : Find(parsed);
    if (node == nullptr || !node->IsDirectory()) Raise(errc::kPathNotFound);
    std::u16string resolved{absolute_path[0], u':', u'\\'};
    for (std::size_t i = 0; i < parsed.components.size(); ++i) {
        if (i > 0) resolved += u'\\';
        resolved += parsed.components[i];
    }
    return resolved;
}

std::vector<std::u16string> MemoryFileSystem::Subdirectories(const std::u16string& directory) const {
    ParsedPath parsed;
    ParseAbsolute(ResolveDirectory(directory), parsed);
    const Node* node = Find(parsed);
    std::vector<std::pair<std::u16string, std::u16string>> keyed;
    for (const Node* child : node->order) {
        if (child->IsDirectory() && (child->attributes & (attr::kHidden | attr::kSystem)) == 0) {
            keyed.emplace_back(LowerCase(child->name), child->name);
        }
    }
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::u16string> names;
    names.reserve(keyed.size());
    for (auto& entry : keyed) names.push_back(std::move(entry.second));
    return names;
}

void MemoryFileSystem::Enumerate(const std::u16string& path, std::uint32_t mask,
                                 const std::function<bool(const std::u16string& name)>& on_match) {
    ++enumerations_;
    if (!CanName(path)) return;
    std::size_t slash = path.rfind(u'\\');
    if (slash == std::u16string::npos) Raise(errc::kBadFileName);
    std::u16string directory = path.substr(0, slash + 1);
    std::u16string pattern = path.substr(slash + 1);
    ParsedPath parsed;
    if (HasWildcard(directory) || !ParseAbsolute(directory, parsed)) Raise(errc::kBadFileName);
    ReadableDrive(parsed.letter);
    const Node* node = Find(parsed);
    if (node == nullptr || !node->IsDirectory()) return;

    // true while the enumeration should go on.
    auto offer = [&](const std::u16string& name, std::uint32_t attributes) {
        if (!host::QualifiesForMask(attributes, mask) || !MatchesPattern(pattern, name)) return true;
        return on_match(name);
    };
    if (!parsed.components.empty()) {
        if (!offer(u".", attr::kDirectory) || !offer(u"..", attr::kDirectory)) return;
    }
    for (auto entry = node->order.rbegin(); entry != node->order.rend(); ++entry) {
        if (!offer((*entry)->name, (*entry)->attributes)) return;
    }
}

std::uint64_t MemoryFileSystem::FileLength(const std::u16string& path) {
    ParsedPath parsed;
    if (!CanName(path) || HasWildcard(path) || !ParseAbsolute(path, parsed)) Raise(errc::kBadFileName);
    ReadableDrive(parsed.letter);
    const Node* node = Find(parsed);
    if (node == nullptr) Raise(errc::kFileNotFound);
    return node->IsDirectory() ? 0 : node->size;
}

LocalTime MemoryFileSystem::LastWriteTime(const std::u16string& path) {
    ParsedPath parsed;
    if (!CanName(path) || HasWildcard(path) || !ParseAbsolute(path, parsed)) Raise(errc::kBadFileName);
    ReadableDrive(parsed.letter);
    const Node* node = Find(parsed);
    if (node == nullptr) Raise(errc::kFileNotFound);
    return node->modified;
}

bool MemoryFileSystem::IsDirectory(const std::u16string& path) {
    ParsedPath parsed;
    if (!CanName(path) || HasWildcard(path) || !ParseAbsolute(path, parsed)) return false;
    const Drive* drive = FindDrive(parsed.letter);
    if (drive == nullptr || !drive->ready) return false;
    const Node* node = Find(parsed);
    return node != nullptr && node->IsDirectory();
}

}  // namespace selvane::memory
