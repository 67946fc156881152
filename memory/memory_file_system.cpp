#include "memory/memory_file_system.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "host/drive_entry.h"
#include "host/error.h"
#include "memory/memory_collation.h"
#include "memory/memory_locale.h"
#include "paths/path_text.h"

namespace selvane::memory {
namespace {

// The drive map's key: the lower-case letter, or 0 for anything that can't name a drive.
char16_t DriveKey(char16_t letter) {
    const char16_t folded = paths::FoldAscii(letter);
    return folded >= u'a' && folded <= u'z' ? folded : 0;
}

// A bare DOS device name, with or without its colon ("nul", "COM1:"): the system finds the
// device under that name in every folder.
bool IsDeviceName(const std::u16string& name) {
    std::u16string bare = LowerCase(name.size() > 1 && name.back() == u':' ? name.substr(0, name.size() - 1) : name);
    if (bare == u"con" || bare == u"prn" || bare == u"aux" || bare == u"nul") return true;
    return bare.size() == 4 && (bare.compare(0, 3, u"com") == 0 || bare.compare(0, 3, u"lpt") == 0) &&
           bare[3] >= u'1' && bare[3] <= u'9';
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

// "x:\..." with "." and ".." and repeated separators resolved; nothing when it isn't absolute.
std::optional<paths::ParsedPath> MemoryFileSystem::FullForm(const paths::ParsedPath& path) {
    if (path.kind != paths::PathKind::kDriveRooted || DriveKey(path.DriveLetter()) == 0) return std::nullopt;
    return path.Resolved();
}

bool MemoryFileSystem::Place(const std::optional<paths::ParsedPath>& full, Location& location) {
    if (!full) return false;
    location = {DriveKey(full->DriveLetter()), full->components};
    return true;
}

bool MemoryFileSystem::ParseAbsolute(const std::u16string& path, Location& location) {
    return Place(FullForm(paths::Parse(path)), location);
}

// A drive is a letter here: anything else before a colon is read as a name under the folder.
std::optional<paths::ParsedPath> MemoryFileSystem::FullForm(const std::u16string& path) const {
    const paths::ParsedPath given = paths::Parse(path);
    if (given.kind == paths::PathKind::kNetwork || given.extended) return std::nullopt;
    const std::u16string current = CurrentFolder();
    std::u16string full;
    if (given.HasDrive() && DriveKey(given.DriveLetter()) != 0) {
        full = paths::AgainstFolder(given, current, paths::Reading::kSystem);
    } else if (current.empty()) {
        return std::nullopt;
    } else if (given.HasDrive()) {
        full = paths::Join(current, path);
    } else {
        full = paths::AgainstFolder(given, current, paths::Reading::kSystem);
    }
    return FullForm(paths::Parse(full));
}

bool MemoryFileSystem::Parse(const std::u16string& path, Location& location) const {
    return Place(FullForm(path), location);
}

bool MemoryFileSystem::CanName(const std::u16string& path) const {
    if (path.size() >= paths::kLongestSystemName) return false;
    const std::optional<paths::ParsedPath> full = FullForm(path);
    // A network path is refused by the rules of each call, not for its length.
    return !full || paths::FitsSystemName(*full);
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

const MemoryFileSystem::Node* MemoryFileSystem::Find(const Location& path) const {
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
    Location parsed;
    if (!CanName(path)) throw std::invalid_argument("no file or folder can have so long a name");
    if (!ParseAbsolute(path, parsed) || parsed.components.empty()) {
        throw std::invalid_argument("expected an absolute path below a drive root");
    }
    auto drive = drives_.find(parsed.letter);
    if (drive == drives_.end()) throw std::invalid_argument("no drive with that letter");
    leaf = std::move(parsed.components.back());
    parsed.components.pop_back();
    Node* node = &drive->second.root;
    Location walked{parsed.letter, {}};
    for (std::u16string& component : parsed.components) {
        Node* child = node->Child(component);
        if (child == nullptr) {
            Signal(walked);
            auto created = std::make_unique<Node>();
            created->name = component;
            child = &node->Adopt(std::move(created));
        } else if (!child->IsDirectory()) {
            throw std::invalid_argument("a file is in the way");
        }
        walked.components.push_back(std::move(component));
        node = child;
    }
    return *node;
}

void MemoryFileSystem::AddDirectory(const std::u16string& path, std::uint32_t attributes) {
    Location parsed;
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
    Signal(SplitLeaf(path, leaf));
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
        std::u16string name;
        Signal(SplitLeaf(path, name));
    } else if (file->IsDirectory()) {
        throw std::invalid_argument("a directory is in the way");
    }
    file->name = std::move(leaf);
    file->size = size;
    file->modified = modified;
    file->attributes = attributes & ~attr::kDirectory;
}

MemoryFileSystem::Location MemoryFileSystem::SplitLeaf(const std::u16string& path, std::u16string& leaf) {
    Location parsed;
    if (!ParseAbsolute(path, parsed) || parsed.components.empty()) {
        throw std::invalid_argument("expected an absolute path below a drive root");
    }
    leaf = std::move(parsed.components.back());
    parsed.components.pop_back();
    return parsed;
}

void MemoryFileSystem::Remove(const std::u16string& path) {
    std::u16string leaf;
    Location folder = SplitLeaf(path, leaf);
    auto* parent = const_cast<Node*>(Find(folder));
    if (parent == nullptr || !parent->IsDirectory()) return;
    auto found = parent->children.find(LowerCase(leaf));
    if (found == parent->children.end()) return;
    parent->order.erase(std::find(parent->order.begin(), parent->order.end(), found->second.get()));
    parent->children.erase(found);
    Signal(folder);
    folder.components.push_back(std::move(leaf));
    Signal(folder, true);
}

void MemoryFileSystem::Rename(const std::u16string& from, const std::u16string& to) {
    std::u16string from_leaf;
    std::u16string to_leaf;
    Location from_folder = SplitLeaf(from, from_leaf);
    const Location to_folder = SplitLeaf(to, to_leaf);
    if (from_folder.letter != to_folder.letter) throw std::invalid_argument("a rename stays on its drive");
    auto* source = const_cast<Node*>(Find(from_folder));
    auto* target = const_cast<Node*>(Find(to_folder));
    if (source == nullptr || !source->IsDirectory() || target == nullptr || !target->IsDirectory()) {
        throw std::invalid_argument("no such folder");
    }
    auto found = source->children.find(LowerCase(from_leaf));
    if (found == source->children.end()) throw std::invalid_argument("nothing to rename");
    const Node* in_the_way = target->Child(to_leaf);
    if (in_the_way != nullptr && in_the_way != found->second.get()) throw std::invalid_argument("the target exists");
    std::unique_ptr<Node> moving = std::move(found->second);
    source->order.erase(std::find(source->order.begin(), source->order.end(), moving.get()));
    source->children.erase(found);
    moving->name = to_leaf;
    target->Adopt(std::move(moving));
    Signal(from_folder);
    Signal(to_folder);
    from_folder.components.push_back(std::move(from_leaf));
    Signal(from_folder, true);
}

std::u16string MemoryFileSystem::WatchKey(const Location& folder) {
    std::u16string key{folder.letter, u':'};
    for (const std::u16string& name : folder.components) key += u'\\' + LowerCase(name);
    return key;
}

void MemoryFileSystem::Signal(const Location& folder, bool below) {
    const std::u16string key = WatchKey(folder);
    const std::u16string under = key + u'\\';
    for (auto& [id, watch] : watches_) {
        if (watch.key == key || (below && watch.key.compare(0, under.size(), under) == 0)) watch.signalled = true;
    }
}

int MemoryFileSystem::StartWatch(const std::u16string& folder) {
    Location parsed;
    if (!CanName(folder) || HasWildcard(folder) || !Parse(folder, parsed)) return 0;
    const Drive* drive = FindDrive(parsed.letter);
    if (drive == nullptr || !drive->ready || !drive->notifies) return 0;
    const Node* node = Find(parsed);
    if (node == nullptr || !node->IsDirectory()) return 0;
    watches_[++last_watch_] = Watch{WatchKey(parsed), false, folder, node->serial};
    return last_watch_;
}

bool MemoryFileSystem::WatchHolds(int id) const {
    const auto found = watches_.find(id);
    Location parsed;
    if (found == watches_.end() || !Parse(found->second.folder, parsed)) return false;
    const Drive* drive = FindDrive(parsed.letter);
    if (drive == nullptr || !drive->ready) return false;
    const Node* node = Find(parsed);
    return node != nullptr && node->IsDirectory() && node->serial == found->second.serial;
}

std::uint64_t MemoryFileSystem::NewSerial() {
    static std::uint64_t last = 0;
    return ++last;
}

void MemoryFileSystem::StopWatch(int id) { watches_.erase(id); }

bool MemoryFileSystem::TakeChange(int id) {
    auto found = watches_.find(id);
    return found != watches_.end() && std::exchange(found->second.signalled, false);
}

void MemoryFileSystem::SetNotifies(char16_t letter, bool notifies) {
    auto found = drives_.find(DriveKey(letter));
    if (found == drives_.end()) throw std::invalid_argument("no drive with that letter");
    found->second.notifies = notifies;
}

std::vector<host::DriveEntry> MemoryFileSystem::DriveEntries() const {
    std::vector<host::DriveEntry> entries;
    for (const auto& [letter, drive] : drives_) {
        const host::DriveKind kind = drive.kind == DriveKind::kRemovable ? host::DriveKind::kRemovable
                                     : drive.kind == DriveKind::kNetwork ? host::DriveKind::kNetwork
                                                                         : host::DriveKind::kFixed;
        // A removable medium's label changes with the medium, so the list never shows it.
        entries.push_back({LowerChar(letter), kind, kind == host::DriveKind::kRemovable ? u"" : drive.label_or_unc});
    }
    return entries;
}

bool MemoryFileSystem::HasDrive(char16_t letter) const { return FindDrive(letter) != nullptr; }

void MemoryFileSystem::RemoveDrive(char16_t letter) { drives_.erase(DriveKey(letter)); }

void MemoryFileSystem::SetCurrentFolder(std::u16string absolute_path) {
    Location parsed;
    if (!ParseAbsolute(absolute_path, parsed)) throw std::invalid_argument("expected an absolute path");
    current_folder_ = std::move(absolute_path);
}

std::u16string MemoryFileSystem::CurrentFolder() const {
    if (!current_folder_.empty() || drives_.empty()) return current_folder_;
    auto first = std::find_if(drives_.begin(), drives_.end(),
                              [](const auto& drive) { return drive.second.kind == DriveKind::kLocal; });
    if (first == drives_.end()) first = drives_.begin();
    return paths::RootOfDrive(UpperChar(first->first));
}

std::u16string MemoryFileSystem::ResolveDirectory(const std::u16string& path) const {
    Location parsed;
    if (!CanName(path) || !Parse(path, parsed)) Raise(errc::kPathNotFound);
    if (HasWildcard(path)) Raise(errc::kBadFileName);
    // The system finds no path on a letter without a drive.
    if (FindDrive(parsed.letter) == nullptr) Raise(errc::kPathNotFound);
    const Node* node = &ReadableDrive(parsed.letter).root;
    std::u16string resolved = paths::RootOfDrive(UpperChar(parsed.letter));
    for (const std::u16string& component : parsed.components) {
        node = node->IsDirectory() ? node->Child(component) : nullptr;
        if (node == nullptr) Raise(errc::kPathNotFound);
        resolved = paths::Join(resolved, node->name);
    }
    if (!node->IsDirectory()) Raise(errc::kPathNotFound);
    return resolved;
}

std::vector<std::u16string> MemoryFileSystem::Subdirectories(const std::u16string& directory) const {
    Location parsed;
    ParseAbsolute(ResolveDirectory(directory), parsed);
    const Node* node = Find(parsed);
    std::vector<std::u16string> names;
    for (const Node* child : node->order) {
        if (child->IsDirectory() && (child->attributes & (attr::kHidden | attr::kSystem)) == 0) {
            names.push_back(child->name);
        }
    }
    std::stable_sort(names.begin(), names.end(),
                     [](const std::u16string& a, const std::u16string& b) { return CompareNames(a, b) < 0; });
    return names;
}

void MemoryFileSystem::Enumerate(const std::u16string& path, std::uint32_t mask,
                                 const std::function<bool(const std::u16string& name)>& on_match) {
    ++enumerations_;
    if (!CanName(path)) return;
    // The folder and the pattern; "d:*.txt" and "*.txt" are in the current folders.
    const auto [directory, pattern] = paths::SplitName(path);
    Location parsed;
    if (HasWildcard(directory) || !Parse(directory, parsed)) Raise(errc::kBadFileName);
    if (FindDrive(parsed.letter) == nullptr) return;
    ReadableDrive(parsed.letter);
    const Node* node = Find(parsed);
    if (node == nullptr || !node->IsDirectory()) return;

    // true while the enumeration should go on.
    auto offer = [&](const std::u16string& name, std::uint32_t attributes) {
        if (!host::QualifiesForMask(attributes, mask) || !MatchesPattern(pattern, name)) return true;
        return on_match(name);
    };
    if (IsDeviceName(pattern)) {
        const std::u16string device = pattern.back() == u':' ? pattern.substr(0, pattern.size() - 1) : pattern;
        on_match(device);  // a plain file to the mask
        return;
    }
    if (!parsed.components.empty()) {
        if (!offer(u".", attr::kDirectory) || !offer(u"..", attr::kDirectory)) return;
    }
    for (auto entry = node->order.rbegin(); entry != node->order.rend(); ++entry) {
        if (!offer((*entry)->name, (*entry)->attributes)) return;
    }
}

const MemoryFileSystem::Node* MemoryFileSystem::FindEntry(const std::u16string& path) const {
    Location parsed;
    if (!CanName(path) || HasWildcard(path) || !Parse(path, parsed)) Raise(errc::kBadFileName);
    if (FindDrive(parsed.letter) == nullptr) Raise(errc::kPathNotFound);
    const Drive& drive = ReadableDrive(parsed.letter);
    if (parsed.components.empty()) return &drive.root;
    const std::u16string leaf = parsed.components.back();
    parsed.components.pop_back();
    const Node* parent = Find(parsed);
    if (parent == nullptr || !parent->IsDirectory()) Raise(errc::kPathNotFound);
    return parent->Child(leaf);
}

host::FileStat MemoryFileSystem::Stat(const std::u16string& path) {
    const Node* node = FindEntry(path);
    if (node == nullptr) Raise(errc::kFileNotFound);
    return {node->IsDirectory() ? 0 : node->size, node->modified};
}

bool MemoryFileSystem::IsDirectory(const std::u16string& path) {
    Location parsed;
    if (!CanName(path) || HasWildcard(path) || !Parse(path, parsed)) return false;
    const Drive* drive = FindDrive(parsed.letter);
    if (drive == nullptr || !drive->ready) return false;
    const Node* node = Find(parsed);
    return node != nullptr && node->IsDirectory();
}

}  // namespace selvane::memory
