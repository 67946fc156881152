// What the user chose, and simple questions about paths, for the host.
#include <string>

#include "control/selvane.h"
#include "host/attempt.h"
#include "paths/path_text.h"

namespace selvane {

// The directory, in server-and-volume form when Server is set, and the chosen file's name
// unless DirOnly is set or nothing is chosen.
std::u16string Selvane::GetPath() {
    std::u16string p = surface_.Dir1().Path();
    if (IsTrue(m_Server)) p = ServerPath();
    if (!IsTrue(m_DirOnly) && surface_.List1().SelCount() != 0) p = paths::DirectoryPrefix(p) + surface_.List1().Text();
    return p;
}

// True exactly when GetPath appends a file name.
TruthValue Selvane::FileSelected() {
    if (IsTrue(m_DirOnly)) return kFalse;
    return ToTruth(surface_.List1().SelCount() != 0);
}

std::u16string Selvane::PathOnly(const std::u16string& str) { return paths::BeforeLastBackslash(str); }

// An empty file counts as absent, as does anything that can't be asked about.
TruthValue Selvane::FileExists(const std::u16string& str) {
    std::uint64_t length = 0;
    const bool failed = attempt([&] { length = files_.Stat(str).length; });
    return ToTruth(!failed && length > 0);
}

// Directories and ordinary files alike answer True; hidden and system entries don't.
TruthValue Selvane::DirExists(const std::u16string& str) {
    bool found = false;
    files_.Enumerate(str, attr::kDirectory, [&](const std::u16string& name) {
        found = !name.empty();
        return false;
    });
    return ToTruth(found);
}

}  // namespace selvane
