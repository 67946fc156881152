// Module1: the web page launcher behind the About dialog's logo.
#pragma once

#include <string_view>

#include "host/forms.h"
#include "host/shell.h"

namespace selvane::about {

// The product's home page.
inline constexpr std::u16string_view kProductPage = u"https://selvane.dev/";

inline constexpr std::u16string_view kMessageTitle = u"Selvane OCX";
inline constexpr std::u16string_view kNoBrowser = u"Unable to find associated browser.";
inline constexpr std::u16string_view kNotOpened = u"Unable to open web page.";

// Opens the product page in the browser associated with web pages, on the command line of a
// program of its own, and tells the user in a message box when that can't be done. Every step
// that fails is passed over. The owner window stands behind the shell's calls and the messages.
void OpenProductPage(host::Shell& shell, host::WindowHandle owner);

}  // namespace selvane::about
