// Drive1: a drop-down list of the machine's drives with their icons.
#pragma once

#include <vector>

#include "host/win32/child_window.h"

namespace selvane::win32 {

struct DriveEntry {
    char16_t letter;  // lower case
    UINT type;        // as GetDriveType gives it
    std::u16string text;
};

// The drives as the system knows them now, in letter order. Reading them never waits on a
// device: only fixed and RAM drives are asked for their label, and a network drive's name is
// the connection the system remembers, not an answer from the server.
std::vector<DriveEntry> ReadDrives();

class Win32DriveList final : public Win32Child<host::DriveList> {
public:
    Win32DriveList(const design::Child& record, WindowContext& context, int id, char16_t start_letter);

    std::u16string Drive() const override;
    void SetDrive(const std::u16string& drive) override;
    int ListCount() const override;
    std::u16string List(int index) const override;

    // The window's own notifications, passed on by the surface.
    void OnSelectionChange();
    void OnDropDown() { Reread(); }
    void DrawItem(const DRAWITEMSTRUCT& item) const;

private:
    void FontChanged() override;
    // Reads the drives again; the chosen drive stays chosen.
    void Reread() const;
    int IndexOf(char16_t letter) const;
    void Select(char16_t letter);

    mutable std::vector<DriveEntry> entries_;
    char16_t selected_ = 0;
};

}  // namespace selvane::win32
