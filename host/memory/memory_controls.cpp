#include "host/memory/memory_controls.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <stdexcept>

#include "host/memory/memory_locale.h"

namespace selvane::memory {
namespace {

// The list box folds only ASCII and Latin-1 capitals when it sorts.
char16_t ListKey(char16_t c) {
    if ((c >= u'A' && c <= u'Z') || (c >= 0x00C0 && c <= 0x00DE && c != 0x00D7)) {
        return static_cast<char16_t>(c + 0x20);
    }
    return c;
}

bool ListLess(const std::u16string& a, const std::u16string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char16_t x, char16_t y) { return ListKey(x) < ListKey(y); });
}

bool IsAbsolute(const std::u16string& path) {
    return path.size() >= 3 && path[1] == u':' && path[2] == u'\\';
}

std::u16string Join(const std::u16string& directory, const std::u16string& name) {
    if (!directory.empty() && directory.back() == u'\\') return directory + name;
    return directory + u'\\' + name;
}

}  // namespace

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
    for (std::u16string& entry : fs_.DriveEntries()) {
        if (LowerChar(entry[0]) == selected_) return std::move(entry);
    }
    return u"";
}

void MemoryDriveList::SetDrive(const std::u16string& drive) {
    Check(u"Drive");
    if (drive.empty() || !fs_.HasDrive(drive[0])) Raise(errc::kDeviceUnavailable);
    Select(drive[0]);
}

int MemoryDriveList::ListCount() const {
    Check(u"ListCount");
    return static_cast<int>(fs_.DriveEntries().size());
}

std::u16string MemoryDriveList::List(int index) const {
    Check(u"List");
    std::vector<std::u16string> entries = fs_.DriveEntries();
    if (index < 0 || index >= static_cast<int>(entries.size())) Raise(errc::kInvalidPropertyArrayIndex);
    return entries[static_cast<std::size_t>(index)];
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
    : MemoryChild(record, sink), fs_(fs), path_(std::move(start_path)) {}

std::u16string MemoryDirList::Path() const {
    Check(u"Path");
    return path_;
}

void MemoryDirList::SetPath(const std::u16string& path) {
    Check(u"Path");
    if (path.empty() || path.compare(0, 2, u"\\\\") == 0) Raise(errc::kPathNotFound);
    std::u16string wanted;
    if (path.size() >= 2 && path[1] == u':') {
        if (path.size() == 2) {
            // A bare drive keeps the current directory when it is on that drive.
            bool same_drive = path_.size() >= 2 && LowerChar(path_[0]) == LowerChar(path[0]);
            wanted = same_drive ? path_ : path + u'\\';
        } else if (path[2] != u'\\') {
            wanted = path.substr(0, 2) + u'\\' + path.substr(2);
        } else {
            wanted = path;
        }
    } else if (path[0] == u'\\') {
        wanted = path_.substr(0, 2) + path;
    } else {
        wanted = Join(path_, path);
    }
    ChangeTo(fs_.ResolveDirectory(wanted));
}

void MemoryDirList::UserOpen(const std::u16string& path_or_subdir) {
    if (IsAbsolute(path_or_subdir)) {
        ChangeTo(fs_.ResolveDirectory(path_or_subdir));
        return;
    }
    for (const std::u16string& name : fs_.Subdirectories(path_)) {
        if (SameName(name, path_or_subdir)) {
            ChangeTo(fs_.ResolveDirectory(Join(path_, name)));
            return;
        }
    }
    throw std::invalid_argument("the directory list doesn't show that directory");
}

void MemoryDirList::ChangeTo(const std::u16string& path) {
    if (SameName(path, path_)) return;
    path_ = path;
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

void MemoryListBox::Clear() {
    Check(u"Clear");
    entries_.clear();
    selected_ = -1;
}

void MemoryListBox::AddItems(std::vector<std::u16string> names) {
    Check(u"AddItems");
    // Sorting the batch and merging keeps a large fill at n log n; both steps are stable, so
    // equal names stay in the order they came.
    std::stable_sort(names.begin(), names.end(), ListLess);
    auto old_size = static_cast<std::ptrdiff_t>(entries_.size());
    entries_.insert(entries_.end(), std::make_move_iterator(names.begin()),
                    std::make_move_iterator(names.end()));
    std::inplace_merge(entries_.begin(), entries_.begin() + old_size, entries_.end(), ListLess);
    selected_ = -1;
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
    return selected_ < 0 ? std::u16string() : entries_[static_cast<std::size_t>(selected_)];
}

int MemoryListBox::SelCount() const {
    Check(u"SelCount");
    return selected_ < 0 ? 0 : 1;
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

void MemoryListBox::UserClick(int index) {
    if (index < 0 || index >= static_cast<int>(entries_.size())) {
        throw std::out_of_range("the list has no entry at that index");
    }
    selected_ = index;
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

void MemoryLabel::SetForeColor(Color color) { Put(u"ForeColor", fore_color_, color); }

TruthValue MemoryLabel::FontBold() const { return Get(u"FontBold", bold_); }

// The font is bold or not, as a real label's is: any true value reads back as True.
void MemoryLabel::SetFontBold(TruthValue bold) { Put(u"FontBold", bold_, ToTruth(IsTrue(bold))); }

}  // namespace selvane::memory
