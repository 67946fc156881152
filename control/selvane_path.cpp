// The Path property: the directory shown, and where a host's path (local, a file's, or a
// network path) takes the drive and directory lists.
#include <string>
#include <utility>
#include <vector>

#include "host/attempt.h"
#include "control/members.h"
#include "control/selvane.h"
#include "paths/network_volumes.h"
#include "paths/path_text.h"

namespace selvane {

std::u16string Selvane::Path() { return surface_.Dir1().Path(); }

// Never fails: a drive or directory the lists refuse leaves that list where it was, and the
// host is told of the change in any case.
void Selvane::SetPath(const std::u16string& value) {
    std::u16string p;
    attempt([&] { p = locale_.ToLower(value); });

    if (paths::IsServerForm(p)) p = paths::MapNetworkPath(p, Connections()).value_or(u"C:\\");

    // A path that isn't an existing directory but holds a dot names a file: keep its directory.
    // A relative path is looked up where the directory list will take it: under its folder.
    std::u16string shown;
    attempt([&] { shown = surface_.Dir1().Path(); });
    paths::ParsedPath wanted = paths::Parse(p);
    if (p.find(u'.') != std::u16string::npos && !files_.IsDirectory(paths::AgainstFolder(wanted, shown))) {
        p = paths::FolderOfFile(p);
        wanted = paths::Parse(p);
    }

    // Another drive takes the directory list to its root first, as a drive change does, but only
    // the folder asked for is listed: one listing, not two, on a drive that may be slow. Should
    // that folder be refused, the root the list went to is listed instead.
    {
        struct Deferred {
            bool& flag;
            explicit Deferred(bool& deferred) : flag(deferred) { flag = true; }
            ~Deferred() { flag = false; }
        } deferred(listing_deferred_);
        attempt([&] { surface_.Drive1().SetDrive(p.substr(0, 1)); });
    }
    const bool owed = std::exchange(listing_owed_, false);
    const auto listings_before = listings_;
    attempt([&] { surface_.Dir1().SetPath(wanted); });
    if (owed && listings_ == listings_before) FillFileList();
    site_.PropertyChanged(members::kPath);
}

std::vector<paths::Connection> Selvane::Connections() {
    std::vector<paths::Connection> connections;
    attempt([&] {
        for (const host::DriveEntry& drive : surface_.Drive1().Entries()) {
            if (drive.kind == host::DriveKind::kNetwork) {
                connections.push_back({drive.letter, locale_.ToLower(drive.label_or_unc)});
            }
        }
    });
    return connections;
}

// A folder dropped is gone to as a Path put goes there, the host told that Path changed; a file
// dropped takes the lists to its folder and is chosen as the user's click chooses it (Click),
// when the pattern lists it. A server's share that no drive leads to is refused: a Path put
// would take the lists to C instead.
bool Selvane::OnDropped(const std::u16string& path) {
    bool folder = false;
    attempt([&] { folder = files_.IsDirectory(path); });
    const std::u16string target = folder ? path : paths::FolderOfFile(path);
    std::u16string lowered;
    attempt([&] { lowered = locale_.ToLower(target); });
    if (paths::IsServerForm(lowered) && !paths::MapNetworkPath(lowered, Connections())) return false;
    SetPath(target);
    if (folder) return true;
    const std::u16string name = path.substr(path.find_last_of(u'\\') + 1);
    int index = -1;
    attempt([&] { index = surface_.List1().Find(name); });
    if (index >= 0 && !attempt([&] { surface_.List1().Select(index); })) OnList1Click();
    return true;
}

// The directory shown, in server-and-volume form when its drive is a network drive:
// x:\docs on x: [\\fs1\pub] gives \\FS1\PUB\docs. Any other drive gives the path unchanged.
std::u16string Selvane::ServerPath() {
    std::u16string letter;
    attempt([&] { letter = locale_.ToLower(surface_.Drive1().Drive().substr(0, 1)); });

    bool network = false;
    paths::ServerVolume names;
    attempt([&] {
        for (const host::DriveEntry& drive : surface_.Drive1().Entries()) {
            if (letter.empty() || drive.letter != letter[0] || drive.kind != host::DriveKind::kNetwork) continue;
            network = paths::IsServerForm(drive.label_or_unc);
            names = paths::SplitServerVolume(locale_.ToUpper(drive.label_or_unc));
        }
    });

    std::u16string directory;
    attempt([&] { directory = surface_.Dir1().Path(); });
    if (!network) return directory;
    return paths::InServerForm(names, directory);
}

}  // namespace selvane
