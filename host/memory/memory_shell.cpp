#include "host/memory/memory_shell.h"

#include "host/error.h"

namespace selvane::memory {
namespace {

// The shell's answers when it can't name a program.
constexpr std::intptr_t kFileNotFound = 2;
constexpr std::intptr_t kNoAssociation = 31;

std::u16string Lower(std::u16string text) {
    for (auto& c : text) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    }
    return text;
}

}  // namespace

std::u16string MemoryShell::CreateTemporaryFile(const std::u16string& type, const std::string& text) {
    if (!temporary_folder_writable) Raise(errc::kPermissionDenied);
    const std::u16string path = u"c:\\temp\\probe" + std::u16string(1, static_cast<char16_t>(u'0' + ++made_ % 10)) + type;
    if (!temporary_files.emplace(path, text).second) Raise(errc::kPermissionDenied);
    return path;
}

void MemoryShell::DeleteTemporaryFile(const std::u16string& path) {
    if (temporary_files.erase(path) == 0) Raise(errc::kFileNotFound);
}

std::intptr_t MemoryShell::FindAssociatedProgram(const std::u16string& file, std::u16string& result) {
    looked_up.push_back(file);
    if (temporary_files.count(file) == 0) return kFileNotFound;
    const auto dot = file.rfind(u'.');
    if (browser.empty() || dot == std::u16string::npos || Lower(file.substr(dot)) != u".htm") return kNoAssociation;
    result.replace(0, browser.size() + 1, browser + u'\0');
    return 42;
}

std::intptr_t MemoryShell::StartProgram(host::WindowHandle owner, const std::u16string& operation,
                                        const std::u16string& file, const std::u16string& parameters, int show) {
    started.push_back({owner, operation, file, parameters, show});
    return start_result;
}

void MemoryShell::ShowMessage(host::WindowHandle owner, const std::u16string& text, int style,
                             const std::u16string& title) {
    messages.push_back({owner, text, style, title});
}

}  // namespace selvane::memory
