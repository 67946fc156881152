// The shell services of the web page launcher, from the Windows shell and the user's
// temporary folder.
#pragma once

#include "host/shell.h"

namespace selvane::win32 {

class Win32Shell final : public host::Shell {
public:
    std::u16string CreateTemporaryFile(const std::u16string& type, const std::string& text) override;
    void DeleteTemporaryFile(const std::u16string& path) override;
    std::u16string FindAssociatedProgram(const std::u16string& file) override;
    bool StartProgram(host::WindowHandle owner, const std::u16string& program,
                      const std::u16string& parameters) override;
    void ShowWarning(host::WindowHandle owner, const std::u16string& text, const std::u16string& title) override;
};

}  // namespace selvane::win32
