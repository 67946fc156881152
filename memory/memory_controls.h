// The seven children as the in-memory surface holds them: real state, real events, user actions
// that tests perform, and failures that tests can inject into any member.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "host/controls.h"
#include "host/design.h"
#include "host/error.h"
#include "memory/memory_file_system.h"

namespace selvane::memory {

// Refuses, with 380, a colour that names nothing, as the system's colour translation does: only
// a plain, palette or palette-relative colour (high byte 0, 1 or 2) or one of the system colours
// 0 to 30 (high byte 0x80) names one.
void CheckColor(Color color);

// The designed record of the named child; throws std::out_of_range for an unknown name.
const design::Child& DesignChild(std::u16string_view name);

// What every child shares. The sink is the surface's own pointer, so that connecting the surface
// reaches every child at once; a null sink, or a null pointer in it, raises no events.
template <class Base>
class MemoryChild : public Base {
public:
    MemoryChild(const design::Child& record, host::ChildEvents* const* sink)
        : name_(record.name),
          left_(record.left),
          top_(record.top),
          width_(record.width),
          height_(record.height),
          tool_tip_(record.tool_tip),
          sink_(sink) {}

    std::u16string Name() const override { return name_; }

    float Left() const override { return Get(u"Left", left_); }
    float Top() const override { return Get(u"Top", top_); }
    float Width() const override { return Get(u"Width", width_); }
    float Height() const override { return Get(u"Height", height_); }
    void SetLeft(float twips) override { Put(u"Left", left_, twips); }
    void SetTop(float twips) override { Put(u"Top", top_, twips); }
    void SetWidth(float twips) override { Put(u"Width", width_, twips); }
    void SetHeight(float twips) override { Put(u"Height", height_, twips); }

    float FontSize() const override { return Get(u"FontSize", font_size_); }
    void SetFontSize(float points) override { Put(u"FontSize", font_size_, points); }

    void SetToolTipText(const std::u16string& text) override { Put(u"ToolTipText", tool_tip_, text); }
    const std::u16string& tool_tip() const { return tool_tip_; }

    // While set, every operation on the member fails with 380 (invalid property value).
    void Fail(std::u16string_view member, bool fail = true) {
        if (fail) {
            failing_.emplace(member);
        } else {
            failing_.erase(std::u16string(member));
        }
    }

protected:
    void Check(std::u16string_view member) const {
        if (!failing_.empty() && failing_.count(std::u16string(member)) != 0) {
            Raise(errc::kInvalidPropertyValue);
        }
    }
    template <class T>
    const T& Get(std::u16string_view member, const T& value) const {
        Check(member);
        return value;
    }
    template <class T>
    void Put(std::u16string_view member, T& target, const T& value) {
        Check(member);
        target = value;
    }
    host::ChildEvents* events() const { return sink_ == nullptr ? nullptr : *sink_; }
    // For members that depend on the font without being the FontSize member.
    float font_size() const { return font_size_; }

private:
    std::u16string name_;
    float left_, top_, width_, height_;
    float font_size_ = design::kFontSize;
    std::u16string tool_tip_;
    host::ChildEvents* const* sink_;
    std::set<std::u16string, std::less<>> failing_;
};

class MemoryDriveList : public MemoryChild<host::DriveList> {
public:
    MemoryDriveList(MemoryFileSystem& fs, char16_t start_drive, host::ChildEvents* const* sink = nullptr,
                    const design::Child& record = DesignChild(u"Drive1"));

    // Empty when the selected drive has gone from the file system.
    std::u16string Drive() const override;
    void SetDrive(const std::u16string& drive) override;
    std::vector<host::DriveEntry> Entries() const override;

    // The user picks a shown drive (std::invalid_argument for one not shown).
    void UserSelect(char16_t letter);

private:
    void Select(char16_t letter);

    MemoryFileSystem& fs_;
    char16_t selected_;  // lower case
};

// Shows paths as the file system resolves them (drive letter in capitals, names in their stored
// case); a start path that can't be reached shows C:\, as the system's directory list does.
class MemoryDirList : public MemoryChild<host::DirList> {
public:
    MemoryDirList(MemoryFileSystem& fs, std::u16string start_path, host::ChildEvents* const* sink = nullptr,
                  const design::Child& record = DesignChild(u"Dir1"));

    std::u16string Path() const override;
    void SetPath(const paths::ParsedPath& path) override;
    void Reread() override;
    void SetOrder(NameOrder order) override;

    // The sub-folders the list shows: read when the path changes and at Reread, not before.
    const std::vector<std::u16string>& subdirectories() const { return subdirectories_; }
    int rereads() const { return rereads_; }

    // The user opens an absolute path, or a subdirectory shown under the current path
    // (std::invalid_argument for one not shown).
    void UserOpen(const std::u16string& path_or_subdir);

private:
    void ChangeTo(const std::u16string& path);
    void ReadSubdirectories();

    MemoryFileSystem& fs_;
    std::u16string path_;
    std::vector<std::u16string> subdirectories_;
    NameOrder order_ = NameOrder::kPlain;
    int rereads_ = 0;
};

class MemoryTextBox : public MemoryChild<host::TextBox> {
public:
    explicit MemoryTextBox(host::ChildEvents* const* sink = nullptr,
                           const design::Child& record = DesignChild(u"Text1"));

    std::u16string Text() const override;
    void SetText(const std::u16string& text) override;

    // One change per key typed at the end of the text.
    void UserType(const std::u16string& keys);
    // One change, if there was text to delete.
    void UserClear();
    // The whole text replaced in one edit: one change, if it differs.
    void UserReplace(const std::u16string& text);
    // The user's edits do nothing while the box holds more than it shows.
    bool read_only() const { return read_only_; }

private:
    void Change(const std::u16string& text);

    std::u16string text_;
    bool read_only_ = false;
};

class MemoryButton : public MemoryChild<host::Button> {
public:
    explicit MemoryButton(host::ChildEvents* const* sink = nullptr,
                          const design::Child& record = DesignChild(u"Command1"));

    // A click, or its access key.
    void UserPress();
};

class MemoryListBox : public MemoryChild<host::ListBox> {
public:
    explicit MemoryListBox(host::ChildEvents* const* sink = nullptr,
                           const design::Child& record = DesignChild(u"List1"));

    void Replace(std::vector<std::u16string> names, int extent) override;
    bool Holds(const std::vector<std::u16string>& names, int extent) const override;
    int Find(const std::u16string& name) const override;
    int TopIndex() const override;
    void SetTopIndex(int index) override;
    int CaretIndex() const override;
    void SetCaretIndex(int index) override;
    int ListCount() const override;
    std::u16string List(int index) const override;
    std::u16string Text() const override;
    int SelCount() const override;
    std::vector<int> SelectedIndices() const override;
    void Select(int index) override;
    SelectionMode Selection() const override;
    void SetSelection(SelectionMode mode) override;
    void SetOrder(NameOrder order) override;
    int TextWidth(const std::u16string& text) const override;
    void SetHorizontalExtent(int pixels) override;

    int horizontal_extent() const { return horizontal_extent_; }
    const std::vector<std::u16string>& entries() const { return entries_; }
    // The chosen entry with the caret, or -1.
    int selected_index() const { return chosen_.empty() || !chosen_[static_cast<std::size_t>(caret_)] ? -1 : caret_; }
    // The user clicks an entry (std::out_of_range for a missing one), with Shift or Ctrl held or
    // neither, and the list chooses as its selection mode has it.
    enum class Keys { kNone, kShift, kCtrl };
    void UserClick(int index, Keys keys = Keys::kNone);
    void UserDoubleClick(int index);
private:
    // How many entries the list shows at once, from its height and font.
    int VisibleRows() const;
    // Puts the entry on top, as far as the list scrolls: the last page stays full.
    void ScrollTo(int top);
    void MakeVisible(int index);
    // The order the list shows the names in, as indices into them.
    std::vector<std::size_t> Sorted(const std::vector<std::u16string>& names) const;
    void Unchoose() { chosen_.assign(entries_.size(), false); }

    std::vector<std::u16string> entries_;  // always in the list's sorted order
    std::vector<bool> chosen_;             // beside each entry
    std::optional<std::vector<std::u16string>> given_;  // as the last Replace gave them
    SelectionMode mode_ = SelectionMode::kOne;
    NameOrder order_ = NameOrder::kPlain;
    int caret_ = 0;
    // Where a run chosen with Shift starts: the entry last clicked without it.
    int anchor_ = 0;
    int top_ = 0;
    int horizontal_extent_ = 0;
};

class MemoryLabel : public MemoryChild<host::Label> {
public:
    explicit MemoryLabel(const design::Child& record, host::ChildEvents* const* sink = nullptr);

    std::u16string Caption() const override;
    void SetCaption(const std::u16string& caption) override;
    Color ForeColor() const override;
    void SetForeColor(Color color) override;
    TruthValue FontBold() const override;
    void SetFontBold(TruthValue bold) override;

private:
    std::u16string caption_;
    Color fore_color_ = 0;
    TruthValue bold_ = kFalse;
};

}  // namespace selvane::memory
