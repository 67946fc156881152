// The About dialog, frmAboutBox: a notice, the product logo, which opens the product page when
// clicked, and an "&OK" button.
#pragma once

#include <string_view>

#include "host/forms.h"
#include "host/shell.h"

namespace selvane::about {

inline constexpr std::u16string_view kCaption = u"Selvane OCX";
inline constexpr std::u16string_view kNotice = u"\u00A9 2026 by the Selvane team";
inline constexpr std::u16string_view kOkCaption = u"&OK";
inline constexpr std::u16string_view kLogoTip = u" Buy Selvane OCX now for only $9.95! ";

// The logo: a 30 x 15 GIF, built into the library from about/logo.gif.
std::string_view LogoGif();

// frmAboutBox as designed: Label1, Command1 and Picture1, in tab order.
host::form::Design AboutBoxDesign();

// Shows a new About dialog modally and returns when it has closed. Never fails: a dialog that
// can't be made or shown just isn't.
void AboutBox(host::Forms& forms, host::Shell& shell) noexcept;

}  // namespace selvane::about
