// Everything the control reaches the world through, handed to it at creation.
#pragma once

#include "host/file_system.h"
#include "host/forms.h"
#include "host/locale.h"
#include "host/shell.h"
#include "host/site.h"
#include "host/surface.h"

namespace selvane::host {

struct Host {
    Surface& surface;
    FileSystem& files;
    Locale& locale;
    Site& site;
    Forms& forms;
    Shell& shell;
};

}  // namespace selvane::host
