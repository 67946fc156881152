// Everything the control reaches Windows through, in one piece a program or a test can own.
#pragma once

#include "host/host.h"
#include "win32/win32_file_system.h"
#include "win32/win32_forms.h"
#include "win32/win32_locale.h"
#include "win32/win32_shell.h"
#include "win32/win32_surface.h"

namespace selvane::win32 {

struct Win32Host {
    explicit Win32Host(HWND parent, const std::u16string& start_directory = u"", LCID locale_id = LOCALE_USER_DEFAULT)
        : locale(locale_id), surface(parent, start_directory) {
        ListenToTracesWhenAsked();
    }

    host::Host Bind(host::Site& site) { return host::Host{surface, files, this->locale, site, forms, shell}; }

    Win32Locale locale;
    Win32Surface surface;
    Win32FileSystem files{&surface.reads()};
    Win32Forms forms;
    Win32Shell shell;
};

}  // namespace selvane::win32
