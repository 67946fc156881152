// Following the disk: the surface watches the folder the lists show, and a change there lists
// it again, as RefreshFiles would, but quietly and without moving the user's view.
#include <algorithm>
#include <string>
#include <vector>

#include "control/selvane.h"
#include "host/attempt.h"
#include "navigation/list_view.h"
#include "paths/path_text.h"

namespace selvane {

host::WatchState Selvane::WatchShownFolder() {
    host::WatchState state = host::WatchState::kNone;
    attempt([&] { state = surface_.WatchFolder(surface_.Dir1().Path()); });
    return state;
}

// Watching never stops while a folder is shown: a watch that was lost, never armed (the folder
// or its drive out of reach), or whose folder was replaced by another of the same name, is armed
// again here, and what it missed meanwhile is listed as a change would be.
void Selvane::OnWatchCheck() {
    if (WatchShownFolder() == host::WatchState::kArmedAnew) OnFolderChanged();
}

// Neither the user nor the host changed anything, so the host hears nothing: no Click, no
// property change, nothing to save. Nor does the user's view move: the lists keep what they
// show, their highlight and the chosen file with its details, as far as those still exist.
void Selvane::OnFolderChanged() {
    std::u16string shown;
    if (attempt([&] { shown = surface_.Dir1().Path(); })) return;
    if (!files_.IsDirectory(shown)) {
        ShowNearestParent(shown);
        return;
    }
    attempt([&] { surface_.Dir1().Reread(); });
    FillFileList(Listing::kFollowingDisk);
}

list_view::KeptView Selvane::KeepView(const host::ListBox& list, const std::vector<std::u16string>& names) {
    list_view::KeptView kept;
    attempt([&] {
        list_view::ShownView shown;
        shown.count = static_cast<std::size_t>(std::max(0, list.ListCount()));
        shown.entry = [&](std::size_t i) { return list.List(static_cast<int>(i)); };
        shown.top = list.TopIndex();
        shown.caret = list.CaretIndex();
        shown.selected = list.Text();
        kept = list_view::Keep(shown, names);
    });
    return kept;
}

// Each step on its own: a name the new list can't place leaves the others to go on.
void Selvane::RestoreView(host::ListBox& list, const list_view::KeptView& kept) {
    for (const list_view::RestoreStep& step : list_view::RestoreSteps(kept)) {
        attempt([&] {
            const int index = list.Find(step.name);
            switch (step.part) {
            case list_view::RestoreStep::Part::kSelected:
                list.Select(index);
                break;
            case list_view::RestoreStep::Part::kCaret:
                list.SetCaretIndex(index);
                break;
            case list_view::RestoreStep::Part::kTop:
                list.SetTopIndex(index);
                break;
            }
        });
    }
}

// Dir1's change lists the parent and moves the watch there. Path changes with it, yet the host
// is not told: the folder it saved is gone, and the host's own setting should not be replaced
// by wherever the disk left the lists.
void Selvane::ShowNearestParent(const std::u16string& gone) {
    for (std::u16string parent = paths::ParentFolder(gone); !parent.empty(); parent = paths::ParentFolder(parent)) {
        if (files_.IsDirectory(parent) && !attempt([&] { surface_.Dir1().SetPath(paths::Parse(parent)); })) return;
    }
    // Nothing above it is left either (the drive has gone): the lists show that nothing is there,
    // and the checks of the watch go on trying the folder, which lists it once it is back.
    attempt([&] { surface_.Dir1().Reread(); });
    FillFileList();
}

}  // namespace selvane
