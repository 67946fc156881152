// Reading a drive-list entry ("c:", "c: [label]", "x: [\\server\share]") in both directions:
// a network path to the drive it is connected under, and a drive back to its server and volume.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace selvane::paths {

// From a lower-cased entry: the text from its first "\\" up to its first "]": the connected
// volume of a network entry ("\\fs1\pub"). An entry without "\\" gives a text holding its
// colon, which no network path contains.
std::u16string ShareText(const std::u16string& lowered_entry);

// Server and volume of an upper-cased network entry: "X: [\\FS1\PUB\TEAM]" gives FS1 and
// PUB\TEAM, each with blanks trimmed. Empty for an entry without "\\".
struct ServerVolume {
    std::u16string server;
    std::u16string volume;
};
ServerVolume ParseServerVolume(const std::u16string& uppered_entry);

// Maps a lower-cased network path onto the first entry, in list order, whose volume it starts
// with, the match ending at a "\" or at the end of the path: with x: [\\fs1\pub],
// "\\fs1\pub\docs" gives "x:\docs" and "\\fs1\pub" gives "x:\", while "\\fs1\public" matches
// nothing. Entries are lower-cased. Nothing when no entry matches.
std::optional<std::u16string> MapNetworkPath(const std::u16string& lowered_path,
                                              const std::vector<std::u16string>& lowered_entries);

}  // namespace selvane::paths
