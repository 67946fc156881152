#include "memory/memory_controls.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <stdexcept>

#include "memory/memory_collation.h"
#include "memory/memory_locale.h"
#include "navigation/listing.h"
#include "paths/path_text.h"

namespace selvane::memory {

void CheckColor(Color color) {
    const Color kind = color >> 24;
    const bool named = kind <= 0x02 || (kind == 0x80 && (color & 0xFF) <= 30);
    if (!named) Raise(errc::kInvalidPropertyValue);
}

const design::Child& DesignChild(std::u16string_view name) {
    for (const design::Child& child : design::kChildren) {
        if (child.name == name) return child;
    }
    throw std::out_of_range("no child of that name in the design");
}

// Drive1

MemoryDriveList::MemoryDriveList(MemoryFileSystem& fs, char16_t start_drive, host::ChildEvents* const* sink,
                                 const design::Child& record)
    : MemoryChild(record, sink), fs_(fs), selected_(LowerChar(start_drive)) {}

std::u16string MemoryDriveList::Drive() const {
    Check(u"Drive");
    for (const host::DriveEntry& entry : fs_.DriveEntries()) {
        if (entry.letter == selected_) return entry.Text();
    }
    return u"";
}

void MemoryDriveList::SetDrive(const std::u16string& drive) {
    Check(u"Drive");
    if (drive.empty() || !fs_.HasDrive(drive[0])) Raise(errc::kDeviceUnavailable);
    Select(drive[0]);
}

std::vector<host::DriveEntry> MemoryDriveList::Entries() const {
    Check(u"Entries");
    return fs_.DriveEntries();
}

void MemoryDriveList::UserSelect(char16_t letter) {
    if (!fs_.HasDrive(letter)) throw std::invalid_argument("the drive list doesn't show that drive");
    Select(letter);
}

void MemoryDriveList::Select(char16_t letter) {
    // Selecting needs no access to the drive, so a drive that isn't ready can be selected.
    letter = LowerChar(letter);
    if (letter == selected_) return;
    selected_ = letter;
    if (host::ChildEvents* sink = events()) sink->OnDrive1Change();
}

// Dir1

MemoryDirList::MemoryDirList(MemoryFileSystem& fs, std::u16string start_path, host::ChildEvents* const* sink,
                             const design::Child& record)
    : MemoryChild(record, sink), fs_(fs) {
    // As the system's directory list: a start that can't be reached shows the first fixed disk.
    try {
        path_ = fs_.ResolveDirectory(start_path);
    } catch (const RuntimeError&) {
        path_ = u"C:\\";
    }
    ReadSubdirectories();
}

void MemoryDirList::Reread() {
    Check(u"Reread");
    ++rereads_;
    ReadSubdirectories();
}

// A folder that has gone shows none, as the system's list shows an empty one.
void MemoryDirList::ReadSubdirectories() {
    try {
        subdirectories_ = fs_.Subdirectories(path_);
    } catch (const RuntimeError&) {
        subdirectories_.clear();
    }
    // The file system gives them in the plain order.
    if (order_ == NameOrder::kNumbersAsNumbers) {
        listing::SortNumbersAsNumbers(subdirectories_, CompareNumbersAsNumbers, CompareNames);
    }
}

void MemoryDirList::SetOrder(NameOrder order) {
    Check(u"Order");
    order_ = order;
    if (order == NameOrder::kNumbersAsNumbers) {
        listing::SortNumbersAsNumbers(subdirectories_, CompareNumbersAsNumbers, CompareNames);
    } else {
        std::stable_sort(subdirectories_.begin(), subdirectories_.end(),
                         [](const std::u16string& a, const std::u16string& b) { return CompareNames(a, b) < 0; });
    }
}

std::u16string MemoryDirList::Path() const {
    Check(u"Path");
    return path_;
}

void MemoryDirList::SetPath(const paths::ParsedPath& path) {
    Check(u"Path");
    // Network and extended-length paths are not modelled here.
    if (path.kind == paths::PathKind::kEmpty || path.kind == paths::PathKind::kNetwork || path.extended) {
        Raise(errc::kPathNotFound);
    }
    ChangeTo(fs_.ResolveDirectory(paths::AgainstFolder(path, path_)));
}

void MemoryDirList::UserOpen(const std::u16string& path_or_subdir) {
    if (paths::KindOf(path_or_subdir) == paths::PathKind::kDriveRooted) {
        ChangeTo(fs_.ResolveDirectory(path_or_subdir));
        return;
    }
    for (const std::u16string& name : fs_.Subdirectories(path_)) {
        if (SameName(name, path_or_subdir)) {
            ChangeTo(fs_.ResolveDirectory(paths::Join(path_, name)));
            return;
        }
    }
    throw std::invalid_argument("the directory list doesn't show that directory");
}

void MemoryDirList::ChangeTo(const std::u16string& path) {
    if (SameName(path, path_)) return;
    path_ = path;
    ReadSubdirectories();
    if (host::ChildEvents* sink = events()) sink->OnDir1Change();
}

// Text1

MemoryTextBox::MemoryTextBox(host::ChildEvents* const* sink, const design::Child& record)
    : MemoryChild(record, sink), text_(record.text) {}

std::u16string MemoryTextBox::Text() const {
    Check(u"Text");
    return text_;
}

void MemoryTextBox::SetText(const std::u16string& text) {
    Check(u"Text");
    const std::u16string whole = text.substr(0, text.find(u'\0'));
    if (whole == text_) return;
    read_only_ = whole.size() > host::kLongestShownText;
    Change(whole);
}

void MemoryTextBox::UserType(const std::u16string& keys) {
    for (char16_t key : keys) {
        if (!read_only_) Change(text_ + key);
    }
}

void MemoryTextBox::UserClear() {
    if (!read_only_) Change(u"");
}

void MemoryTextBox::UserReplace(const std::u16string& text) {
    if (!read_only_) Change(text);
}

void MemoryTextBox::Change(const std::u16string& text) {
    if (text == text_) return;
    text_ = text;
    if (host::ChildEvents* sink = events()) sink->OnText1Change();
}

// Command1

MemoryButton::MemoryButton(host::ChildEvents* const* sink, const design::Child& record)
    : MemoryChild(record, sink) {}

void MemoryButton::UserPress() {
    if (host::ChildEvents* sink = events()) sink->OnCommand1Click();
}

// List1

MemoryListBox::MemoryListBox(host::ChildEvents* const* sink, const design::Child& record)
    : MemoryChild(record, sink) {}

std::vector<std::size_t> MemoryListBox::Sorted(const std::vector<std::u16string>& names) const {
    if (order_ == NameOrder::kNumbersAsNumbers) {
        return listing::NumbersAsNumbersOrder(names, CompareNumbersAsNumbers, CompareNames);
    }
    // Into an empty list as the system's host fills it: in lower-case order first, then each
    // name moved before the ones the list's comparison puts after it or holds equal, which
    // shows equal names last-added first. Only neighbours out of order move, so a large fill
    // stays near n log n.
    std::vector<std::size_t> order(names.size());
    std::vector<std::u16string> keys;
    keys.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        order[i] = i;
        keys.push_back(LowerCase(names[i]));
    }
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return keys[a] < keys[b] || (keys[a] == keys[b] && a < b);
    });
    for (std::size_t i = 1; i < order.size(); ++i) {
        const std::size_t moving = order[i];
        std::size_t j = i;
        for (; j > 0 && CompareNames(names[moving], names[order[j - 1]]) <= 0; --j) order[j] = order[j - 1];
        order[j] = moving;
    }
    return order;
}

void MemoryListBox::Replace(std::vector<std::u16string> names, int extent) {
    Check(u"Replace");
    Unchoose();
    caret_ = anchor_ = 0;
    top_ = 0;
    if (Holds(names, extent)) return;
    horizontal_extent_ = extent;
    given_ = names;
    entries_.clear();
    entries_.reserve(names.size());
    for (std::size_t index : Sorted(names)) entries_.push_back(std::move(names[index]));
    Unchoose();
}

bool MemoryListBox::Holds(const std::vector<std::u16string>& names, int extent) const {
    Check(u"Holds");
    return given_ && horizontal_extent_ == extent && *given_ == names;
}

int MemoryListBox::Find(const std::u16string& name) const {
    Check(u"Find");
    const auto found = std::find(entries_.begin(), entries_.end(), name);
    return found == entries_.end() ? -1 : static_cast<int>(found - entries_.begin());
}

int MemoryListBox::TopIndex() const { return Get(u"TopIndex", top_); }

void MemoryListBox::SetTopIndex(int index) {
    Check(u"TopIndex");
    if (index < 0 || index >= static_cast<int>(entries_.size())) Raise(errc::kInvalidPropertyArrayIndex);
    ScrollTo(index);
}

int MemoryListBox::CaretIndex() const { return Get(u"CaretIndex", caret_); }

void MemoryListBox::SetCaretIndex(int index) {
    Check(u"CaretIndex");
    if (index < 0 || index >= static_cast<int>(entries_.size())) Raise(errc::kInvalidPropertyArrayIndex);
    if (mode_ == SelectionMode::kOne && SelCount() != 0) Raise(errc::kIllegalFunctionCall);
    caret_ = index;
    MakeVisible(index);
}

// An entry is as high as its font's line, about 1.6 times its point size in pixels (13 pixels
// for 8 points); the list shows the whole entries that fit in its height.
int MemoryListBox::VisibleRows() const {
    const double row_twips = std::max(1.0, static_cast<double>(font_size()) * 1.6) * 15.0;
    return std::max(1, static_cast<int>(static_cast<double>(Height()) / row_twips));
}

void MemoryListBox::ScrollTo(int top) {
    const int last_top = std::max(0, static_cast<int>(entries_.size()) - VisibleRows());
    top_ = std::clamp(top, 0, last_top);
}

void MemoryListBox::MakeVisible(int index) {
    if (index < top_) ScrollTo(index);
    if (index >= top_ + VisibleRows()) ScrollTo(index - VisibleRows() + 1);
}

int MemoryListBox::ListCount() const {
    Check(u"ListCount");
    return static_cast<int>(entries_.size());
}

std::u16string MemoryListBox::List(int index) const {
    Check(u"List");
    if (index < 0 || index >= static_cast<int>(entries_.size())) Raise(errc::kInvalidPropertyArrayIndex);
    return entries_[static_cast<std::size_t>(index)];
}

std::u16string MemoryListBox::Text() const {
    Check(u"Text");
    const int chosen = selected_index();
    return chosen < 0 ? std::u16string() : entries_[static_cast<std::size_t>(chosen)];
}

int MemoryListBox::SelCount() const {
    Check(u"SelCount");
    return static_cast<int>(std::count(chosen_.begin(), chosen_.end(), true));
}

std::vector<int> MemoryListBox::SelectedIndices() const {
    Check(u"SelectedIndices");
    std::vector<int> chosen;
    for (std::size_t i = 0; i < chosen_.size(); ++i) {
        if (chosen_[i]) chosen.push_back(static_cast<int>(i));
    }
    return chosen;
}

void MemoryListBox::Select(int index) {
    Check(u"Select");
    if (index < 0 || index >= static_cast<int>(entries_.size())) Raise(errc::kInvalidPropertyArrayIndex);
    if (mode_ == SelectionMode::kOne) Unchoose();
    chosen_[static_cast<std::size_t>(index)] = true;
    caret_ = anchor_ = index;
    MakeVisible(index);
}

SelectionMode MemoryListBox::Selection() const { return Get(u"Selection", mode_); }

void MemoryListBox::SetSelection(SelectionMode mode) {
    Check(u"Selection");
    if (mode == SelectionMode::kOne) {
        const bool caret_chosen = selected_index() >= 0;
        Unchoose();
        if (caret_chosen) chosen_[static_cast<std::size_t>(caret_)] = true;
    }
    mode_ = mode;
    anchor_ = caret_;
}

void MemoryListBox::SetOrder(NameOrder order) {
    Check(u"Order");
    order_ = order;
    const std::vector<std::size_t> sorted = Sorted(entries_);
    const std::u16string top = entries_.empty() ? u"" : entries_[static_cast<std::size_t>(top_)];
    std::vector<std::u16string> entries;
    std::vector<bool> chosen;
    int caret = 0;
    for (std::size_t index : sorted) {
        if (static_cast<int>(index) == caret_) caret = static_cast<int>(entries.size());
        entries.push_back(entries_[index]);
        chosen.push_back(chosen_[index]);
    }
    entries_ = std::move(entries);
    chosen_ = std::move(chosen);
    caret_ = anchor_ = caret;
    if (!entries_.empty()) ScrollTo(Find(top));
}

int MemoryListBox::TextWidth(const std::u16string& text) const {
    Check(u"TextWidth");
    // An average glyph two thirds of the point size wide: close enough to a real font to make
    // longer names need a wider extent.
    return static_cast<int>(std::lround(static_cast<double>(text.size()) * font_size() * 2.0 / 3.0));
}

void MemoryListBox::SetHorizontalExtent(int pixels) {
    Check(u"HorizontalExtent");
    horizontal_extent_ = pixels;
}

// As the system's list boxes take a click: one that chooses several toggles the entry; one
// that extends chooses the entry alone, toggles it with Ctrl, and chooses the run from the
// last entry clicked without Shift with Shift.
void MemoryListBox::UserClick(int index, Keys keys) {
    if (index < 0 || index >= static_cast<int>(entries_.size())) {
        throw std::out_of_range("the list has no entry at that index");
    }
    const auto at = static_cast<std::size_t>(index);
    if (mode_ == SelectionMode::kToggle) {
        chosen_[at] = !chosen_[at];
    } else if (mode_ == SelectionMode::kExtend && keys == Keys::kCtrl) {
        chosen_[at] = !chosen_[at];
        anchor_ = index;
    } else if (mode_ == SelectionMode::kExtend && keys == Keys::kShift) {
        Unchoose();
        for (int i = std::min(anchor_, index); i <= std::max(anchor_, index); ++i) chosen_[static_cast<std::size_t>(i)] = true;
    } else {
        Unchoose();
        chosen_[at] = true;
        anchor_ = index;
    }
    caret_ = index;
    MakeVisible(index);
    if (host::ChildEvents* sink = events()) sink->OnList1Click();
}

void MemoryListBox::UserDoubleClick(int index) {
    UserClick(index);
    if (host::ChildEvents* sink = events()) sink->OnList1DblClick();
}

// Label1 and Label2

MemoryLabel::MemoryLabel(const design::Child& record, host::ChildEvents* const* sink)
    : MemoryChild(record, sink), caption_(record.text) {}

std::u16string MemoryLabel::Caption() const {
    Check(u"Caption");
    return caption_;
}

void MemoryLabel::SetCaption(const std::u16string& caption) { Put(u"Caption", caption_, caption); }

Color MemoryLabel::ForeColor() const { return Get(u"ForeColor", fore_color_); }

void MemoryLabel::SetForeColor(Color color) {
    CheckColor(color);
    Put(u"ForeColor", fore_color_, color);
}

TruthValue MemoryLabel::FontBold() const { return Get(u"FontBold", bold_); }

// The font is bold or not, as a real label's is: any true value reads back as True.
void MemoryLabel::SetFontBold(TruthValue bold) { Put(u"FontBold", bold_, ToTruth(IsTrue(bold))); }

}  // namespace selvane::memory
