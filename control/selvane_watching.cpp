// Following the disk: the surface watches the folder the lists show, and a change there lists
// it again, as RefreshFiles would, but quietly.
#include <string>

#include "control/attempt.h"
#include "control/selvane.h"
#include "paths/path_text.h"

namespace selvane {

void Selvane::WatchShownFolder() {
    attempt([&] { surface_.WatchFolder(surface_.Dir1().Path()); });
}

// Neither the user nor the host changed anything, so the host hears nothing: no Click, no
// property change, nothing to save. The selected file stays selected while it exists, and its
// details are read again.
void Selvane::OnFolderChanged() {
    std::u16string shown;
    if (attempt([&] { shown = surface_.Dir1().Path(); })) return;
    if (!files_.IsDirectory(shown)) {
        ShowNearestParent(shown);
        return;
    }
    std::u16string selected;
    attempt([&] { selected = surface_.List1().Text(); });
    attempt([&] { surface_.Dir1().Reread(); });
    FillFileList();
    if (!selected.empty()) Reselect(selected);
}

// Dir1's change lists the parent and moves the watch there. Path changes with it, yet the host
// is not told: the folder it saved is gone, and the host's own setting should not be replaced
// by wherever the disk left the lists.
void Selvane::ShowNearestParent(const std::u16string& gone) {
    for (std::u16string parent = paths::ParentFolder(gone); !parent.empty(); parent = paths::ParentFolder(parent)) {
        if (files_.IsDirectory(parent) && !attempt([&] { surface_.Dir1().SetPath(parent); })) return;
    }
    // Nothing above it is left either (the drive has gone): the lists show that nothing is there,
    // and the watch lets go of the folder.
    attempt([&] { surface_.Dir1().Reread(); });
    FillFileList();
    attempt([&] { surface_.WatchFolder(u""); });
}

void Selvane::Reselect(const std::u16string& name) {
    host::ListBox& list = surface_.List1();
    attempt([&] {
        const int count = list.ListCount();
        for (int i = 0; i < count; ++i) {
            if (list.List(i) != name) continue;
            list.Select(i);
            ShowSelectedDetails();
            return;
        }
    });
}

}  // namespace selvane
