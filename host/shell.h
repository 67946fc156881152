// The shell services behind the web page launcher: a probe file, the program associated with
// a file's type, starting a program, and the platform's message box.
#pragma once

#include <cstdint>
#include <string>

#include "host/forms.h"

namespace selvane::host {

// The shell's results are above 32 on success.
inline constexpr bool ShellSucceeded(std::intptr_t result) { return result > 32; }

class Shell {
public:
    virtual ~Shell() = default;

    // Makes a new file with the type (".HTM") under a name of its own in the user's temporary
    // folder, writes the text into it and closes it; returns the file's full path. Never opens a
    // file that already exists. Fails when no such file can be made.
    virtual std::u16string CreateTemporaryFile(const std::u16string& type, const std::string& text) = 0;
    virtual void DeleteTemporaryFile(const std::u16string& path) = 0;

    // Writes the full path of the program that opens the file's type into result, ended by a
    // NUL; result holds room for 260 characters. Returns the shell's result.
    virtual std::intptr_t FindAssociatedProgram(const std::u16string& file, std::u16string& result) = 0;
    // Starts the file (a program) with the parameters, its window shown as show says (1: normal);
    // the owner window answers for any message the shell shows. Returns the shell's result.
    virtual std::intptr_t StartProgram(WindowHandle owner, const std::u16string& operation, const std::u16string& file,
                                       const std::u16string& parameters, int show) = 0;

    // The platform's message box; returns when the user has answered it.
    virtual void ShowMessage(WindowHandle owner, const std::u16string& text, int style, const std::u16string& title) = 0;
};

}  // namespace selvane::host
