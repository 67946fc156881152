#include "paths/network_volumes.h"

#include "paths/path_text.h"

namespace selvane::paths {
namespace {

constexpr std::u16string_view kUncStart = u"\\\\";

std::u16string Trim(const std::u16string& text) {
    const auto first = text.find_first_not_of(u' ');
    if (first == std::u16string::npos) return {};
    return text.substr(first, text.find_last_not_of(u' ') - first + 1);
}

}  // namespace

bool IsServerForm(std::u16string_view text) {
    return KindOf(text) == PathKind::kNetwork && text.substr(0, kUncStart.size()) == kUncStart;
}

ServerVolume SplitServerVolume(const std::u16string& volume) {
    ServerVolume result;
    if (!IsServerForm(volume)) return result;
    const auto server_start = kUncStart.size();
    const auto slash = volume.find(u'\\', server_start);
    if (slash == std::u16string::npos) {
        result.server = Trim(volume.substr(server_start));
        return result;
    }
    result.server = Trim(volume.substr(server_start, slash - server_start));
    result.volume = Trim(volume.substr(slash + 1));
    return result;
}

std::u16string InServerForm(const ServerVolume& names, const std::u16string& directory) {
    return std::u16string(kUncStart) + names.server + u'\\' + names.volume + (directory.size() > 2 ? directory.substr(2) : u"");
}

std::optional<std::u16string> MapNetworkPath(const std::u16string& lowered_path,
                                              const std::vector<Connection>& lowered_connections) {
    for (const Connection& connection : lowered_connections) {
        const std::u16string& share = connection.volume;
        if (!IsServerForm(share)) continue;
        if (lowered_path.compare(0, share.size(), share) != 0) continue;
        if (lowered_path.size() > share.size() && lowered_path[share.size()] != u'\\') continue;
        // The volume itself is the drive's root; a bare "x:" would name the drive's current folder.
        const std::u16string rest = lowered_path.substr(share.size());
        return std::u16string{connection.letter, u':'} + (rest.empty() ? u"\\" : rest);
    }
    return std::nullopt;
}

}  // namespace selvane::paths
