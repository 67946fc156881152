// Dir1: the directory list. The drive's root and every directory down to the current one show as
// open folders, each one step further in; the current directory's subdirectories follow as
// closed folders one step deeper. Opening an entry (double click or Enter) makes it current;
// Backspace goes up one level.
#pragma once

#include <vector>

#include "win32/child_window.h"
#include "win32/type_to_find.h"

namespace selvane::win32 {

// The subdirectories of a directory that the list shows: hidden and system ones left out,
// sorted without regard to case.
std::vector<std::wstring> VisibleSubdirectories(ReadAhead& reads, const std::wstring& directory,
                                                NameOrder order = NameOrder::kPlain);
// Puts folder names in the order the list shows them.
void SortFolderNames(std::vector<std::wstring>& names, NameOrder order);

class Win32DirList final : public Win32Child<host::DirList> {
public:
    Win32DirList(const design::Child& record, WindowContext& context, int id, const std::u16string& start_path);

    std::u16string Path() const override { return Utf16(path_); }
    void SetPath(const paths::ParsedPath& path) override;
    void Reread() override;
    void SetOrder(NameOrder order) override;

    // Opens the entry that has the caret, as a double click or Enter does.
    void OpenSelected();
    // Makes the current directory's parent current, as Backspace does; at a root, nothing.
    void OpenParent();
    // The full path of the folder an entry shows; empty outside the list.
    std::wstring EntryPath(int index) const;
    void DrawItem(const DRAWITEMSTRUCT& item) const;

private:
    struct Entry {
        std::wstring name;
        std::wstring path;
        int depth;
        bool open;
    };

    void FontChanged() override;
    // Sets the sideways scroll extent to the widest entry's.
    void FitExtent();
    // The full, existing directory a path names, seen from the current one, in the case the
    // file system gives its names; fails as the directory list does (76 for a missing one).
    std::wstring Resolve(const paths::ParsedPath& path) const;
    void ChangeTo(const std::wstring& path);
    // Shows the current directory's entries anew, the highlight on the directory itself.
    void Rebuild();
    // The same with the sub-folders given, for a caller that stops drawing around it.
    void Fill(std::vector<std::wstring> subfolders);
    // Shows these sub-folders in place of those shown, the view staying where it was (Reread).
    void Show(std::vector<std::wstring> subfolders);

    std::wstring path_;
    NameOrder order_ = NameOrder::kPlain;
    std::vector<Entry> entries_;
    TypeToFind find_;
};

}  // namespace selvane::win32
