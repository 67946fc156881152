// Following the disk: the surface watches the folder the lists show, and a change there lists
// it again, as RefreshFiles would, but quietly and without moving the user's view.
#include <algorithm>
#include <string>
#include <vector>

#include "control/members.h"
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
// again here, and what it missed meanwhile is listed as a change would be. A folder that is no
// longer at its path is left for the nearest one above it.
void Selvane::OnWatchCheck() {
    switch (WatchShownFolder()) {
    case host::WatchState::kArmedAnew:
        OnFolderChanged();
        break;
    case host::WatchState::kGone: {
        std::u16string shown;
        if (!attempt([&] { shown = surface_.Dir1().Path(); })) ShowNearestParent(shown);
        break;
    }
    case host::WatchState::kLive:
    case host::WatchState::kNone:
        break;
    }
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
        for (const int chosen : list.SelectedIndices()) shown.chosen.push_back(list.List(chosen));
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

// The folder shown has gone from its path (removed, moved, a folder above it renamed or removed,
// its drive made to lead elsewhere): the lists go to the nearest folder above it that is there,
// as the user would take them, and the host is told that Path changed, once, with no Click. A
// folder that moved is not followed: the path is what the user chose. A drive that has gone
// takes the lists to drive C, where a new control starts. A drive that is there but doesn't
// answer keeps the lists where they are, emptied, with the count label saying why; the watch's
// checks go on trying the folder, which is listed once it answers again.
void Selvane::ShowNearestParent(const std::u16string& gone) {
    bool moved = false;
    for (std::u16string parent = paths::ParentFolder(gone); !moved && !parent.empty();
         parent = paths::ParentFolder(parent)) {
        moved = files_.IsDirectory(parent) && !attempt([&] { surface_.Dir1().SetPath(paths::Parse(parent)); });
    }
    if (!moved && !gone.empty() && !files_.HasDrive(gone[0])) {
        attempt([&] { surface_.Drive1().SetDrive(std::u16string(members::kPath.default_text.substr(0, 2))); });
    }
    std::u16string shown;
    attempt([&] { shown = surface_.Dir1().Path(); });
    if (shown != gone) {
        site_.PropertyChanged(members::kPath);
        return;
    }
    attempt([&] { surface_.Dir1().Reread(); });
    FillFileList();
}

}  // namespace selvane
