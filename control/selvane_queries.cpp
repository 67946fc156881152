// What the user chose, and simple questions about paths, for the host.
#include <string>

#include "control/selvane.h"
#include "host/attempt.h"
#include "paths/path_text.h"

namespace selvane {

// The directory, in server-and-volume form when Server is set.
std::u16string Selvane::ShownDirectory() { return IsTrue(m_Server) ? ServerPath() : surface_.Dir1().Path(); }

// The directory, and the chosen file's name unless DirOnly is set or nothing is chosen: with
// several chosen, the one with the caret, when it is chosen.
std::u16string Selvane::GetPath() {
    const std::u16string file = IsTrue(m_DirOnly) ? u"" : surface_.List1().Text();
    const std::u16string directory = ShownDirectory();
    return file.empty() ? directory : paths::DirectoryPrefix(directory) + file;
}

// True exactly when GetPath appends a file name.
TruthValue Selvane::FileSelected() {
    if (IsTrue(m_DirOnly)) return kFalse;
    return ToTruth(!surface_.List1().Text().empty());
}

std::int32_t Selvane::SelectedCount() { return surface_.List1().SelCount(); }

// Whatever DirOnly says: the files are what is asked for.
std::vector<std::u16string> Selvane::SelectedFiles() {
    host::ListBox& list = surface_.List1();
    const std::vector<int> chosen = list.SelectedIndices();
    std::vector<std::u16string> files;
    if (chosen.empty()) return files;
    const std::u16string prefix = paths::DirectoryPrefix(ShownDirectory());
    for (const int index : chosen) files.push_back(prefix + list.List(index));
    return files;
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
