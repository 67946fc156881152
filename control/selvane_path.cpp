// The Path property: the directory shown, and where a host's path (local, a file's, or a
// network path) takes the drive and directory lists.
#include <string>
#include <vector>

#include "control/attempt.h"
#include "control/members.h"
#include "control/selvane.h"
#include "paths/drive_entry_parsers.h"
#include "paths/path_text.h"

namespace selvane {
namespace {

bool IsNetworkPath(const std::u16string& path) { return path.compare(0, 2, u"\\\\") == 0; }

}  // namespace

std::u16string Selvane::Path() { return surface_.Dir1().Path(); }

// Never fails: a drive or directory the lists refuse leaves that list where it was, and the
// host is told of the change in any case.
void Selvane::SetPath(const std::u16string& value) {
    std::u16string p;
    attempt([&] { p = locale_.ToLower(value); });

    if (IsNetworkPath(p)) {
        std::vector<std::u16string> entries;
        attempt([&] {
            host::DriveList& drives = surface_.Drive1();
            const int count = drives.ListCount();
            for (int i = 0; i < count; ++i) entries.push_back(locale_.ToLower(drives.List(i)));
        });
        p = paths::MapNetworkPath(p, entries).value_or(u"C:\\");
    }

    // A path that isn't an existing directory but holds a dot names a file: keep its directory.
    // A relative path is looked up where the directory list will take it: under its folder.
    std::u16string shown;
    attempt([&] { shown = surface_.Dir1().Path(); });
    if (p.find(u'.') != std::u16string::npos && !files_.IsDirectory(paths::AgainstFolder(p, shown))) {
        const auto last_slash = p.rfind(u'\\');
        if (last_slash != std::u16string::npos) p.resize(last_slash);
        if (p.size() == 2) p += u'\\';
    }

    attempt([&] { surface_.Drive1().SetDrive(p.substr(0, 1)); });
    attempt([&] { surface_.Dir1().SetPath(p); });
    site_.PropertyChanged(members::kPath);
}

// The directory shown, in server-and-volume form when its drive is a network drive:
// x:\docs on x: [\\fs1\pub] gives \\FS1\PUB\docs. Any other drive gives the path unchanged.
std::u16string Selvane::ServerPath() {
    std::u16string letter;
    attempt([&] { letter = locale_.ToUpper(surface_.Drive1().Drive().substr(0, 1)); });

    bool network = false;
    paths::ServerVolume names;
    attempt([&] {
        host::DriveList& drives = surface_.Drive1();
        const int count = drives.ListCount();
        for (int i = 0; i < count; ++i) {
            const std::u16string entry = locale_.ToUpper(drives.List(i));
            if (letter.empty() || entry.compare(0, 1, letter) != 0) continue;
            network = entry.find(u"\\\\") != std::u16string::npos;
            names = paths::ParseServerVolume(entry);
        }
    });

    std::u16string directory;
    attempt([&] { directory = surface_.Dir1().Path(); });
    if (!network) return directory;
    return u"\\\\" + names.server + u'\\' + names.volume + (directory.size() > 2 ? directory.substr(2) : u"");
}

}  // namespace selvane
