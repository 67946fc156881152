// The shell in memory: a temporary folder, one association for web pages, and a record of the
// programs started and the messages shown.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "host/shell.h"

namespace selvane::memory {

class MemoryShell : public host::Shell {
public:
    std::u16string CreateTemporaryFile(const std::u16string& type, const std::string& text) override;
    void DeleteTemporaryFile(const std::u16string& path) override;
    std::u16string FindAssociatedProgram(const std::u16string& file) override;
    bool StartProgram(host::WindowHandle owner, const std::u16string& program,
                      const std::u16string& parameters) override;
    void ShowWarning(host::WindowHandle owner, const std::u16string& text, const std::u16string& title) override;

    // The program that opens web pages (".htm"); empty when none is associated.
    std::u16string browser;
    // Whether a program asked to start does.
    bool programs_start = true;
    // Whether the temporary folder takes new files.
    bool temporary_folder_writable = true;

    struct Started {
        host::WindowHandle owner;
        std::u16string program, parameters;
    };
    struct Message {
        host::WindowHandle owner;
        std::u16string text;
        std::u16string title;
    };

    // The temporary folder's files now, by path, with their text.
    std::map<std::u16string, std::string> temporary_files;
    std::vector<std::u16string> looked_up;  // files whose program was asked for
    std::vector<Started> started;       // programs asked to start, whatever the answer
    std::vector<Message> messages;      // warnings shown

private:
    int made_ = 0;
};

}  // namespace selvane::memory
