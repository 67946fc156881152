#include "memory/memory_shell.h"

#include <string>

#include "host/error.h"
#include "paths/path_text.h"

namespace selvane::memory {

std::u16string MemoryShell::CreateTemporaryFile(const std::u16string& type, const std::string& text) {
    if (!temporary_folder_writable) Raise(errc::kPermissionDenied);
    // Every file a name never given before, as the system's unique names are.
    const std::string number = std::to_string(++made_);
    const std::u16string path = u"c:\\temp\\probe" + std::u16string(number.begin(), number.end()) + type;
    if (!temporary_files.emplace(path, text).second) Raise(errc::kPermissionDenied);
    return path;
}

void MemoryShell::DeleteTemporaryFile(const std::u16string& path) {
    if (temporary_files.erase(path) == 0) Raise(errc::kFileNotFound);
}

// As the shell does, names a program only for a file that exists.
std::u16string MemoryShell::FindAssociatedProgram(const std::u16string& file) {
    looked_up.push_back(file);
    if (temporary_files.count(file) == 0) return {};
    const auto dot = file.rfind(u'.');
    if (dot == std::u16string::npos || paths::FoldAscii(file.substr(dot)) != u".htm") return {};
    return browser;
}

bool MemoryShell::StartProgram(host::WindowHandle owner, const std::u16string& program,
                               const std::u16string& parameters) {
    started.push_back({owner, program, parameters});
    return programs_start;
}

void MemoryShell::ShowWarning(host::WindowHandle owner, const std::u16string& text, const std::u16string& title) {
    messages.push_back({owner, text, title});
}

}  // namespace selvane::memory
