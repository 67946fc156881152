// The file system as the control lists and inspects it, through the wide API.
#pragma once

#include "host/file_system.h"
#include "win32/read_ahead.h"

namespace selvane::win32 {

// Through a control's ReadAhead when given one (its surface's), else through one of its own.
class Win32FileSystem final : public host::FileSystem {
public:
    explicit Win32FileSystem(ReadAhead* reads = nullptr) : reads_(reads ? *reads : own_) {}
    Win32FileSystem(const Win32FileSystem&) = delete;
    Win32FileSystem& operator=(const Win32FileSystem&) = delete;

    void Enumerate(const std::u16string& path, std::uint32_t mask,
                   const std::function<bool(const std::u16string& name)>& on_match) override;
    host::FileStat Stat(const std::u16string& path) override;
    bool IsDirectory(const std::u16string& path) override;
    bool HasDrive(char16_t letter) const override;

private:
    ReadAhead own_;
    ReadAhead& reads_;
};

}  // namespace selvane::win32
