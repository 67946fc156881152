// Following the disk: the surface watches the folder the lists show, and a change there lists
// it again, as RefreshFiles would, but quietly and without moving the user's view.
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>

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

Selvane::KeptView Selvane::KeepView(const host::ListBox& list, const std::vector<std::u16string>& names) {
    const std::unordered_set<std::u16string_view> staying(names.begin(), names.end());
    auto stays = [&](const std::u16string& name) { return staying.count(name) != 0; };
    KeptView kept;
    attempt([&] {
        const int count = list.ListCount();
        auto kept_at = [&](int index) -> std::u16string {
            if (index < 0) return u"";
            const std::optional<std::size_t> at = list_view::NearestStaying(
                static_cast<std::size_t>(index), static_cast<std::size_t>(count),
                [&](std::size_t i) { return stays(list.List(static_cast<int>(i))); });
            return at ? list.List(static_cast<int>(*at)) : u"";
        };
        kept.top = kept_at(list.TopIndex());
        kept.caret = kept_at(list.CaretIndex());
        const std::u16string selected = list.Text();
        if (stays(selected)) kept.selected = selected;
    });
    return kept;
}

// The chosen entry carries the caret with it; with none chosen, the caret goes alone. The top
// entry comes last, as choosing an entry scrolls it into view.
void Selvane::RestoreView(host::ListBox& list, const KeptView& kept) {
    if (!kept.selected.empty()) {
        attempt([&] { list.Select(list.Find(kept.selected)); });
    } else if (!kept.caret.empty()) {
        attempt([&] { list.SetCaretIndex(list.Find(kept.caret)); });
    }
    if (!kept.top.empty()) attempt([&] { list.SetTopIndex(list.Find(kept.top)); });
}

// Dir1's change lists the parent and moves the watch there. Path changes with it, yet the host
// is not told: the folder it saved is gone, and the host's own setting should not be replaced
// by wherever the disk left the lists.
void Selvane::ShowNearestParent(const std::u16string& gone) {
    for (std::u16string parent = paths::ParentFolder(gone); !parent.empty(); parent = paths::ParentFolder(parent)) {
        if (files_.IsDirectory(parent) && !attempt([&] { surface_.Dir1().SetPath(parent); })) return;
    }
    // Nothing above it is left either (the drive has gone): the lists show that nothing is there,
    // and the checks of the watch go on trying the folder, which lists it once it is back.
    attempt([&] { surface_.Dir1().Reread(); });
    FillFileList();
}

}  // namespace selvane
