// Module1: the web page launcher.
#include "about/product_page.h"

#include <cstdint>
#include <string>

#include "control/attempt.h"

namespace selvane::about {
namespace {

// The shell names the program that opens a file's type only for a file that exists, so the
// launcher asks about a small web page of its own.
constexpr std::u16string_view kProbeType = u".HTM";
constexpr std::string_view kProbeText = "\"<HTML> <\\HTML>\"\r\n";
constexpr std::size_t kResultRoom = 260;  // the platform's longest path

// The text up to the first NUL, without blanks at either end.
std::u16string TrimmedResult(const std::u16string& result) {
    std::u16string text = result.substr(0, result.find(u'\0'));
    const auto first = text.find_first_not_of(u' ');
    if (first == std::u16string::npos) return {};
    return text.substr(first, text.find_last_not_of(u' ') - first + 1);
}

}  // namespace

void OpenProductPage(host::Shell& shell, host::WindowHandle owner) {
    std::u16string result(kResultRoom, u' ');

    // The probe is a file of the launcher's own, under a fresh name: a file that was there
    // before is never written to or deleted.
    std::u16string probe;
    attempt([&] { probe = shell.CreateTemporaryFile(std::u16string(kProbeType), std::string(kProbeText)); });

    std::intptr_t found = 0;
    if (!probe.empty()) attempt([&] { found = shell.FindAssociatedProgram(probe, result); });
    const std::u16string browser = TrimmedResult(result);

    const auto tell = [&](std::u16string_view text) {
        attempt([&] { shell.ShowMessage(owner, std::u16string(text), kMessageStyle, std::u16string(kMessageTitle)); });
    };
    if (!host::ShellSucceeded(found) || browser.empty()) {
        tell(kNoBrowser);
    } else {
        std::intptr_t started = 0;
        attempt([&] { started = shell.StartProgram(owner, u"open", browser, std::u16string(kProductPage), 1); });
        if (!host::ShellSucceeded(started)) tell(kNotOpened);
    }

    if (!probe.empty()) attempt([&] { shell.DeleteTemporaryFile(probe); });
}

}  // namespace selvane::about
