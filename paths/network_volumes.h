// Network volumes and the drives they are connected under, in both directions: a network path
// to the drive that reaches it, and a drive's volume to its server and share.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace selvane::paths {

// Whether the text is a network path (paths::KindOf) in server-and-volume form: two backslashes
// first, as the Path property takes a network path and a network drive's entry names its volume.
bool IsServerForm(std::u16string_view text);

// A network drive as the drive list shows it: its letter and the volume it is connected to
// ("\\fs1\pub").
struct Connection {
    char16_t letter;
    std::u16string volume;
};

// Server and volume of a connected volume: "\\FS1\PUB\TEAM" gives FS1 and PUB\TEAM, each with
// blanks trimmed. Empty for a text not in server-and-volume form.
struct ServerVolume {
    std::u16string server;
    std::u16string volume;
};
ServerVolume SplitServerVolume(const std::u16string& volume);

// A directory on a network drive in server-and-volume form: the drive letter and colon give way
// to the volume, so x:\docs on \\FS1\PUB gives \\FS1\PUB\docs.
std::u16string InServerForm(const ServerVolume& names, const std::u16string& directory);

// Maps a lower-cased network path onto the first connection, in list order, whose lower-cased
// volume it starts with, the match ending at a "\" or at the end of the path: with x: on
// \\fs1\pub, "\\fs1\pub\docs" gives "x:\docs" and "\\fs1\pub" gives "x:\", while
// "\\fs1\public" matches nothing. Nothing when no connection matches.
std::optional<std::u16string> MapNetworkPath(const std::u16string& lowered_path,
                                              const std::vector<Connection>& lowered_connections);

}  // namespace selvane::paths
