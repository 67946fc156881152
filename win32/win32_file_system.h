// The file system as the control lists and inspects it, through the wide API.
#pragma once

#include "host/file_system.h"

namespace selvane::win32 {

class Win32FileSystem final : public host::FileSystem {
public:
    void Enumerate(const std::u16string& path, std::uint32_t mask,
                   const std::function<bool(const std::u16string& name)>& on_match) override;
    host::FileStat Stat(const std::u16string& path) override;
    bool IsDirectory(const std::u16string& path) override;
};

}  // namespace selvane::win32
