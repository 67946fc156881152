// The shell services of the web page launcher, from the Windows shell and the user's
// temporary folder.
#pragma once

#include "host/shell.h"

namespace selvane::win32 {

class Win32Shell final : public host::Shell {
public:
    std::u16string CreateTemporaryFile(const std::u16string& type, const std::string& text) override;
    void DeleteTemporaryFile(const std::u16string& path) override;
    std::intptr_t FindAssociatedProgram(const std::u16string& file, std::u16string& result) override;
    std::intptr_t StartProgram(host::WindowHandle owner, const std::u16string& operation, const std::u16string& file,
                               const std::u16string& parameters, int show) override;
    void ShowMessage(host::WindowHandle owner, const std::u16string& text, int style,
                    const std::u16string& title) override;
};

}  // namespace selvane::win32
