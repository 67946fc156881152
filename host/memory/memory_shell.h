// The shell in memory: a temporary folder, one association for web pages, and a record of the
// programs started and the messages shown.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "host/shell.h"

namespace selvane::memory {

class MemoryShell : public host::Shell {
public:
    std::u16string CreateTemporaryFile(const std::u16string& type, const std::string& text) override;
    void DeleteTemporaryFile(const std::u16string& path) override;
    std::intptr_t FindAssociatedProgram(const std::u16string& file, std::u16string& result) override;
    std::intptr_t StartProgram(host::WindowHandle owner, const std::u16string& operation, const std::u16string& file,
                               const std::u16string& parameters, int show) override;
    void ShowMessage(host::WindowHandle owner, const std::u16string& text, int style,
                    const std::u16string& title) override;

    // The program that opens web pages (".htm"); empty when none is associated.
    std::u16string browser;
    // What starting a program answers: above 32 is started.
    std::intptr_t start_result = 42;
    // Whether the temporary folder takes new files.
    bool temporary_folder_writable = true;

    struct Started {
        host::WindowHandle owner;
        std::u16string operation, file, parameters;
        int show;
    };
    struct Message {
        host::WindowHandle owner;
        std::u16string text;
        int style;
        std::u16string title;
    };

    // The temporary folder's files now, by path, with their text.
    std::map<std::u16string, std::string> temporary_files;
    std::vector<std::u16string> looked_up;  // files whose program was asked for
    std::vector<Started> started;       // programs asked to start, whatever the answer
    std::vector<Message> messages;

private:
    int made_ = 0;
};

}  // namespace selvane::memory
