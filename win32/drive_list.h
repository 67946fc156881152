// Drive1: a drop-down list of the machine's drives with their icons.
#pragma once

#include <vector>

#include "host/drive_entry.h"
#include "win32/child_window.h"

namespace selvane::win32 {

// One drive as the system reports it: the entry the logic sees, and the system's own drive type,
// which picks its icon.
struct SystemDrive {
    host::DriveEntry entry;
    UINT type;  // as GetDriveType gives it
};

// The drives as the system knows them now, in letter order. Reading them waits on no device
// longer than the deadline (deadline.h), and a drive that doesn't answer shows its letter alone:
// only fixed and RAM drives are asked for their label, and a network drive's name is the
// connection the system remembers, not an answer from the server. When such a drive answers
// after all, kDriveAnswered is posted to the window given, wparam the drive's letter.
std::vector<SystemDrive> ReadDrives(HWND notify = nullptr);
inline constexpr UINT kDriveAnswered = WM_APP + 4;
// Gives back the memory of the answers that came late, as the library is unloaded with no call out.
void ReleaseLateDrives() noexcept;

class Win32DriveList final : public Win32Child<host::DriveList> {
public:
    Win32DriveList(const design::Child& record, WindowContext& context, int id, char16_t start_letter);

    std::u16string Drive() const override;
    void SetDrive(const std::u16string& drive) override;
    std::vector<host::DriveEntry> Entries() const override;

    // The window's own notifications, passed on by the surface.
    void OnSelectionChange();
    void OnDropDown() { Reread(); }
    // A drive that didn't answer in time has answered: it shows what it answered.
    void OnDriveAnswered(char16_t letter);
    void DrawItem(const DRAWITEMSTRUCT& item) const;
    // The drives as the list shows them now, without reading them again.
    const std::vector<SystemDrive>& shown() const { return drives_; }

private:
    void FontChanged() override;
    // Reads the drives again; the chosen drive stays chosen.
    void Reread() const;
    int IndexOf(char16_t letter) const;
    void Select(char16_t letter);

    mutable std::vector<SystemDrive> drives_;
    char16_t selected_ = 0;
};

}  // namespace selvane::win32
