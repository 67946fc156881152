// A file system held in memory: drives of each kind, directories and files, with the error
// behaviour of a real volume. Names compare without regard to case and keep the case they were
// created with. Either slash separates; a relative path is taken from the process's current
// folder, as the system takes it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/drive_entry.h"
#include "host/file_system.h"
#include "host/types.h"
#include "paths/path_text.h"

namespace selvane::memory {

class MemoryFileSystem : public host::FileSystem {
public:
    MemoryFileSystem();
    ~MemoryFileSystem() override;
    MemoryFileSystem(const MemoryFileSystem&) = delete;
    MemoryFileSystem& operator=(const MemoryFileSystem&) = delete;

    // Adding a letter that already has a drive changes its kind and keeps its contents.
    // A fixed, ready drive; its entry is "c:" or "c: [label]".
    void AddLocalDrive(char16_t letter, std::u16string label = u"");
    // A drive whose entry is always "a:"; it can't be read until its medium is ready.
    void AddRemovableDrive(char16_t letter, bool ready = false);
    // unc like u"\\\\fs1\\pub"; entry "x: [\\fs1\pub]". It can't be read while disconnected.
    void AddNetworkDrive(char16_t letter, std::u16string unc, bool connected = true);
    // Medium in or out for a removable drive, connected or not for a network drive.
    void SetReady(char16_t letter, bool ready);

    // Setup calls take absolute paths ("c:\a\b") on an added drive, ready or not, and throw
    // std::invalid_argument for anything else.
    // Creates missing parents; an existing directory takes the given attributes.
    void AddDirectory(const std::u16string& path, std::uint32_t attributes = 0);
    // Creates missing parent directories; replaces an existing file.
    void AddFile(const std::u16string& path, std::uint64_t size = 0, LocalTime modified = {},
                 std::uint32_t attributes = attr::kArchive);
    // A file, or a directory with its contents; a missing path is fine.
    void Remove(const std::u16string& path);
    // A file or a directory with its contents, to another name or folder on the same drive;
    // std::invalid_argument when the source is missing or the target exists.
    void Rename(const std::u16string& from, const std::u16string& to);

    // Change notification on a folder, as the system gives it for names: a watch is signalled
    // when a file or sub-folder is added to the folder, removed from it or renamed in it, and
    // when the folder itself goes. Replacing a file's contents or attributes signals nothing.
    // The id of a new watch, or 0 when the folder can't be watched: missing, on a drive that
    // can't be read, or on one whose server gives no change notification (SetNotifies).
    int StartWatch(const std::u16string& folder);
    void StopWatch(int id);
    // Whether the watch's path still names the folder it was started on (not one renamed away
    // and another of the same name made, nor one whose drive has gone).
    bool WatchHolds(int id) const;
    // Whether the watch was signalled since it started or since the last call, which re-arms it.
    bool TakeChange(int id);
    // Whether the drive's server tells of changes; every drive does until a test says otherwise.
    void SetNotifies(char16_t letter, bool notifies);
    int watch_count() const { return static_cast<int>(watches_.size()); }

    // The process's current folder, which relative paths start from: the first local drive's
    // root until a test sets another (an absolute path; it need not exist).
    void SetCurrentFolder(std::u16string absolute_path);
    std::u16string CurrentFolder() const;

    // Entry texts in letter order.
    std::vector<host::DriveEntry> DriveEntries() const;
    bool HasDrive(char16_t letter) const override;
    // The drive and all on it go, as a drive unmapped or ejected goes; its watches no longer hold.
    void RemoveDrive(char16_t letter);

    // The reachable directory a path names, hidden ones included, as the system names it: full
    // (".", ".." and repeated separators resolved, no trailing "\" except at a root), with the
    // drive letter in capitals and every name in the case it was created with. Fails with 68
    // (disconnected), 71 (not ready), 52 (wildcards) or 76 (no such drive or directory).
    std::u16string ResolveDirectory(const std::u16string& path) const;
    // Names of the directory's subdirectories that are neither hidden nor system, sorted
    // without regard to case. Fails as ResolveDirectory does.
    std::vector<std::u16string> Subdirectories(const std::u16string& directory) const;

    // How many times Enumerate was called.
    int enumerations() const { return enumerations_; }

    // Entries come in no sorted order: "." and ".." first outside a root, then the newest first.
    // A DOS device name ("nul", "con:") matches the device in any folder, as on the system.
    void Enumerate(const std::u16string& path, std::uint32_t mask,
                   const std::function<bool(const std::u16string& name)>& on_match) override;
    host::FileStat Stat(const std::u16string& path) override;
    bool IsDirectory(const std::u16string& path) override;

private:
    // Each node made gets a number of its own, which it keeps when renamed or moved.
    static std::uint64_t NewSerial();
    struct Node {
        std::uint64_t serial = NewSerial();
        std::u16string name;
        std::uint32_t attributes = attr::kDirectory;
        std::uint64_t size = 0;
        LocalTime modified;
        // Keyed by the lower-cased name; order keeps creation order for enumeration.
        std::unordered_map<std::u16string, std::unique_ptr<Node>> children;
        std::vector<Node*> order;

        bool IsDirectory() const { return (attributes & attr::kDirectory) != 0; }
        Node* Child(const std::u16string& child_name) const;
        Node& Adopt(std::unique_ptr<Node> child);
    };
    enum class DriveKind { kLocal, kRemovable, kNetwork };
    struct Drive {
        DriveKind kind = DriveKind::kLocal;
        std::u16string label_or_unc;
        bool ready = true;
        bool notifies = true;
        Node root;
    };
    // Where a full path leads: its drive's key and its names, "." and ".." resolved.
    struct Location {
        char16_t letter = 0;
        std::vector<std::u16string> components;
    };

    // A drive-rooted path on a letter, resolved; nothing for any other.
    static std::optional<paths::ParsedPath> FullForm(const paths::ParsedPath& path);
    // A path of any form, taken from the current folder as the system takes it and resolved;
    // nothing for a network path, which isn't modelled.
    std::optional<paths::ParsedPath> FullForm(const std::u16string& path) const;
    // The location of a full form; false for none.
    static bool Place(const std::optional<paths::ParsedPath>& full, Location& location);
    static bool ParseAbsolute(const std::u16string& path, Location& location);
    bool Parse(const std::u16string& path, Location& location) const;
    // Whether the path is short enough to name anything, judged as Windows judges it.
    bool CanName(const std::u16string& path) const;
    // The node of an existing file or folder; 68, 71 or 76 (the folder it is in is missing)
    // when its drive or folder can't be read, nullptr when only the name itself is missing.
    const Node* FindEntry(const std::u16string& path) const;
    Drive& AddDrive(char16_t letter, DriveKind kind, std::u16string label_or_unc, bool ready);
    const Drive* FindDrive(char16_t letter) const;
    // The drive, if it can be read; otherwise the error a read meets.
    const Drive& ReadableDrive(char16_t letter) const;
    Node& SetupParent(const std::u16string& path, std::u16string& leaf);
    const Node* Find(const Location& path) const;
    // A watch's key for a folder: the drive and the lower-cased names.
    static std::u16string WatchKey(const Location& folder);
    // Signals the watches on the folder, and with `below`, those on every folder under it.
    void Signal(const Location& folder, bool below = false);
    // The folder that holds the path, and its last name; std::invalid_argument for a root.
    static Location SplitLeaf(const std::u16string& path, std::u16string& leaf);

    std::map<char16_t, Drive> drives_;
    struct Watch {
        std::u16string key;
        bool signalled = false;
        std::u16string folder;
        std::uint64_t serial = 0;  // the folder's, as the watch was started
    };
    std::map<int, Watch> watches_;
    int last_watch_ = 0;
    std::u16string current_folder_;
    int enumerations_ = 0;
};

}  // namespace selvane::memory
