// The shell services behind the web page launcher: a probe file, the program associated with
// a file's type, starting a program, and the platform's message box.
#pragma once

#include <string>

#include "host/forms.h"

namespace selvane::host {

class Shell {
public:
    virtual ~Shell() = default;

    // Makes a new file with the type (".HTM") under a name of its own in the user's temporary
    // folder, writes the text into it and closes it; returns the file's full path. Never opens a
    // file that already exists. Fails when no such file can be made.
    virtual std::u16string CreateTemporaryFile(const std::u16string& type, const std::string& text) = 0;
    virtual void DeleteTemporaryFile(const std::u16string& path) = 0;

    // The full path of the program that opens the file's type, as the shell gives it (the shell
    // names one only for a file that exists); empty when it names none.
    virtual std::u16string FindAssociatedProgram(const std::u16string& file) = 0;
    // Opens the program with the parameters, its window shown as usual; the owner window answers
    // for any message the shell shows. Returns whether it started.
    virtual bool StartProgram(WindowHandle owner, const std::u16string& program, const std::u16string& parameters) = 0;

    // The platform's message box with a warning sign and one OK button; returns when the user
    // has answered it.
    virtual void ShowWarning(WindowHandle owner, const std::u16string& text, const std::u16string& title) = 0;
};

}  // namespace selvane::host
