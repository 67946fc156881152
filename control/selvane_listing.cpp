// Keeping the drive, directory and file lists in step, filling the file list, and the clicks on it.
#include <algorithm>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "host/attempt.h"
#include "control/selvane.h"
#include "host/design.h"
#include "navigation/file_info.h"
#include "navigation/listing.h"
#include "paths/path_text.h"

namespace selvane {
namespace listing {

bool IsPlainPattern(const std::u16string& pattern) {
    return pattern.find_first_of(u"\\/:") == std::u16string::npos;
}

std::vector<std::u16string> PatternParts(const std::u16string& text) {
    if (text.find(u';') == std::u16string::npos) return {text};
    constexpr char16_t kBlanks[] = u" \t";
    std::vector<std::u16string> parts;
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = text.find(u';', start);
        if (end == std::u16string::npos) end = text.size();
        const std::size_t first = text.find_first_not_of(kBlanks, start);
        if (first < end) {
            const std::size_t last = text.find_last_not_of(kBlanks, end - 1);
            std::u16string part = text.substr(first, last + 1 - first);
            if (std::find(parts.begin(), parts.end(), part) == parts.end()) parts.push_back(std::move(part));
        }
        start = end + 1;
    }
    if (parts.empty()) parts.emplace_back();
    return parts;
}

int HorizontalExtent(int widest_pixels) {
    constexpr int kMargin = 25;
    constexpr int kLimit = 32767;
    if (widest_pixels > kLimit - kMargin) return std::min(widest_pixels, kLimit);
    return widest_pixels + kMargin;
}

std::u16string FileCountCaption(std::size_t count) {
    if (count == 0) return u"";
    if (count == 1) return u"1 file";
    std::u16string digits;
    for (; count > 0; count /= 10) digits.insert(digits.begin(), static_cast<char16_t>(u'0' + count % 10));
    return digits + u" files";
}

}  // namespace listing

// A drive change always leads to the new drive's root. A drive that can't be read sends the
// drive list back to c:, whose own change lists the root of C; if that fails as well, the
// drive list already shows c:, raises no change, and the fallback ends.
void Selvane::OnDrive1Change() {
    const bool failed = attempt([&] {
        const std::u16string root = surface_.Drive1().Drive().substr(0, 2) + u'\\';
        surface_.Dir1().SetPath(root);
    });
    if (failed) attempt([&] { surface_.Drive1().SetDrive(u"c:"); });
}

void Selvane::OnDir1Change() {
    WatchShownFolder();
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
// with their count. Every step is passed over when it fails: a directory that can't be read
// leaves an empty list and empty labels. A listing that follows the disk leaves a list that
// holds these very names as it is, and otherwise keeps the user's view of it (KeepView).
void Selvane::FillFileList(Listing listing) {
    ++listings_;
    host::ListBox& list = surface_.List1();

    std::u16string prefix;
    attempt([&] { prefix = paths::DirectoryPrefix(surface_.Dir1().Path()); });

    // A text with any part that reaches outside the folder is refused whole, as that part alone
    // would be: a listing of the other parts would pass for the answer to the text typed.
    std::vector<std::u16string> patterns;
    attempt([&] {
        const std::u16string text = surface_.Text1().Text();
        if (listing::IsPlainPattern(text)) patterns = listing::PatternParts(text);
    });
    const std::uint32_t mask = IsTrue(m_ShowHidden) ? attr::kHidden : 0;
    std::vector<std::u16string> names;
    // A file several patterns match is listed once. The system reports a file under its one
    // stored name in every enumeration, so the exact name finds the repeats, and two files whose
    // names differ in case only (a case-sensitive folder, a Unix folder under Wine) stay two.
    std::unordered_set<std::u16string> listed;
    for (const std::u16string& pattern : patterns) {
        attempt([&] {
            files_.Enumerate(prefix + pattern, mask, [&](const std::u16string& name) {
                if (patterns.size() == 1 || listed.insert(name).second) names.push_back(name);
                return true;
            });
        });
    }

    const int extent = FileListExtent(names);
    std::optional<KeptView> kept;
    if (listing == Listing::kFollowingDisk) {
        bool held = false;
        attempt([&] { held = list.Holds(names, extent); });
        if (held) return;
        kept = KeepView(list, names);
    }
    const bool reselect = kept && !kept->selected.empty();
    if (!reselect) attempt([&] { surface_.Label2().SetCaption(u""); });
    attempt([&] { list.Replace(std::move(names), extent); });
    if (kept) RestoreView(list, *kept);
    if (reselect) ShowSelectedDetails();

    int count = 0;
    attempt([&] { count = list.ListCount(); });
    attempt([&] { surface_.Label1().SetCaption(listing::FileCountCaption(static_cast<std::size_t>(count))); });
    attempt([&] { list.SetToolTipText(count > 0 ? std::u16string(design::kFileTip) : u""); });
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
