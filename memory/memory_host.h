// A whole host in memory: the file system, locale, host application, forms and shell, and the
// surface a control is made on. The native tests and the native fuzzing both build on it.
#pragma once

#include <memory>
#include <string>

#include "host/host.h"
#include "memory/memory_file_system.h"
#include "memory/memory_forms.h"
#include "memory/memory_locale.h"
#include "memory/memory_shell.h"
#include "memory/memory_site.h"
#include "memory/memory_surface.h"

namespace selvane::memory {

struct MemoryHost {
    // A fresh surface, as designed, and the host a new control is made with.
    host::Host NewSurface(char16_t start_drive = u'c', std::u16string start_directory = u"c:\\") {
        surface = std::make_unique<MemorySurface>(fs, start_drive, std::move(start_directory));
        return host::Host{*surface, fs, locale, site, forms, shell};
    }

    MemoryFileSystem fs;
    MemoryLocale locale;
    MemorySite site;
    MemoryForms forms;
    MemoryShell shell;
    std::unique_ptr<MemorySurface> surface;
};

}  // namespace selvane::memory
