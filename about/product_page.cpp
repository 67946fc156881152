// Module1: the web page launcher.
#include "about/product_page.h"

#include <string>

#include "host/attempt.h"

namespace selvane::about {
namespace {

// The shell names the program that opens a file's type only for a file that exists, so the
// launcher asks about a small web page of its own.
constexpr std::u16string_view kProbeType = u".HTM";
constexpr std::string_view kProbeText = "\"<HTML> <\\HTML>\"\r\n";

// The text without blanks at either end.
std::u16string Trimmed(const std::u16string& text) {
    const auto first = text.find_first_not_of(u' ');
    if (first == std::u16string::npos) return {};
    return text.substr(first, text.find_last_not_of(u' ') - first + 1);
}

}  // namespace

void OpenProductPage(host::Shell& shell, host::WindowHandle owner) {
    // The probe is a file of the launcher's own, under a fresh name: a file that was there
    // before is never written to or deleted.
    std::u16string probe;
    attempt([&] { probe = shell.CreateTemporaryFile(std::u16string(kProbeType), std::string(kProbeText)); });

    std::u16string browser;
    if (!probe.empty()) attempt([&] { browser = Trimmed(shell.FindAssociatedProgram(probe)); });

    const auto tell = [&](std::u16string_view text) {
        attempt([&] { shell.ShowWarning(owner, std::u16string(text), std::u16string(kMessageTitle)); });
    };
    if (browser.empty()) {
        tell(kNoBrowser);
    } else {
        bool started = false;
        attempt([&] { started = shell.StartProgram(owner, browser, std::u16string(kProductPage)); });
        if (!started) tell(kNotOpened);
    }

    if (!probe.empty()) attempt([&] { shell.DeleteTemporaryFile(probe); });
}

}  // namespace selvane::about
