// Keeping the drive, directory and file lists in step, filling the file list, and the clicks on it.
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "host/attempt.h"
#include "control/selvane.h"
#include "host/design.h"
#include "navigation/file_info.h"
#include "navigation/list_view.h"
#include "navigation/listing.h"
#include "paths/path_text.h"

namespace selvane {
// A drive change always leads to the new drive's root. A drive that can't be read sends the
// drive list back to c:, whose own change lists the root of C; if that fails as well, the
// drive list already shows c:, raises no change, and the fallback ends.
void Selvane::OnDrive1Change() {
    const bool failed = attempt([&] {
        surface_.Dir1().SetPath(paths::Parse(paths::RootOfDrive(surface_.Drive1().Drive())));
    });
    if (failed) attempt([&] { surface_.Drive1().SetDrive(u"c:"); });
}

void Selvane::OnDir1Change() {
    if (listing_deferred_) {
        listing_owed_ = true;
        return;
    }
    FillFileList();
}

void Selvane::OnText1Change() { FillFileList(); }

void Selvane::OnCommand1Click() { surface_.Text1().SetText(std::u16string(design::kPattern)); }

void Selvane::RefreshFiles() { FillFileList(); }

void Selvane::Refresh() { surface_.Refresh(); }

// How far the file list scrolls sideways for the names, measured in the list's own font, which
// follows the control's size (Resize measures again).
int Selvane::FileListExtent(const std::vector<std::u16string>& names) {
    host::ListBox& list = surface_.List1();
    extent_font_size_ = -1;
    attempt([&] { extent_font_size_ = list.FontSize(); });
    int widest = 0;
    for (const auto& name : names) attempt([&] { widest = std::max(widest, list.TextWidth(name)); });
    return listing::HorizontalExtent(widest);
}

// Lists the files of the directory shown that match the pattern, sized for sideways scrolling,
// with their count. Every step is passed over when it fails. A directory that can't be read
// leaves an empty list, and the count label says why ("Device unavailable", "Path not found"),
// so that it doesn't pass for an empty folder. A listing that follows the disk leaves a list
// and a label that hold these very names and this caption as they are, and otherwise keeps the
// user's view of the list (KeepView).
void Selvane::FillFileList(Listing listing) {
    ++listings_;
    // Every listing, the user's, the host's or the disk's, re-arms a watch that isn't live.
    WatchShownFolder();
    host::ListBox& list = surface_.List1();

    std::u16string prefix;
    attempt([&] { prefix = paths::DirectoryPrefix(surface_.Dir1().Path()); });

    std::vector<std::u16string> patterns;
    attempt([&] { patterns = listing::PatternParts(surface_.Text1().Text()); });
    const std::uint32_t mask = IsTrue(m_ShowHidden) ? attr::kHidden : 0;
    listing::ListedNames listed(patterns.size());
    std::optional<std::u16string> failure;
    for (const std::u16string& pattern : patterns) {
        attempt(
            [&] {
                files_.Enumerate(prefix + pattern, mask, [&](const std::u16string& name) {
                    listed.Add(name);
                    return true;
                });
            },
            [&](const RuntimeError& error) {
                if (!failure) failure = error.description();
            });
    }
    std::vector<std::u16string> names = listed.Take();
    // Part of a folder would pass for all of it.
    if (failure) names.clear();
    const auto caption_for = [&](std::size_t count) { return failure ? *failure : listing::FileCountCaption(count); };

    const int extent = FileListExtent(names);
    std::optional<list_view::KeptView> kept;
    if (listing == Listing::kFollowingDisk) {
        bool held = false;
        attempt([&] { held = list.Holds(names, extent) && surface_.Label1().Caption() == caption_for(names.size()); });
        if (held) return;
        kept = KeepView(list, names);
    }
    const bool reselect = kept && !kept->chosen.empty();
    if (!reselect) attempt([&] { surface_.Label2().SetCaption(u""); });
    attempt([&] { list.Replace(std::move(names), extent); });
    if (kept) RestoreView(list, *kept);
    if (reselect) ShowSelectedDetails();

    int count = 0;
    attempt([&] { count = list.ListCount(); });
    attempt([&] { surface_.Label1().SetCaption(caption_for(static_cast<std::size_t>(count))); });
    attempt([&] { list.SetToolTipText(listing::FileListTip(static_cast<std::size_t>(count))); });
}

// The label shows the details, or nothing when the file can't be read (deleted since the
// listing, access denied, drive gone).
void Selvane::ShowSelectedDetails() {
    std::u16string details;
    attempt([&] {
        const std::u16string path = paths::DirectoryPrefix(surface_.Dir1().Path()) + surface_.List1().Text();
        const host::FileStat stat = files_.Stat(path);
        if (!stat.modified) Raise(errc::kIllegalFunctionCall);
        details = file_info::Describe(*stat.modified, stat.length, locale_);
    });
    attempt([&] { surface_.Label2().SetCaption(details); });
}

// The host hears of the click whether or not the details could be read.
void Selvane::OnList1Click() {
    ShowSelectedDetails();
    attempt([&] { site_.RaiseClick(); });
}

void Selvane::OnList1DblClick() { site_.RaiseDblClick(); }

}  // namespace selvane
