#include "paths/drive_entry_parsers.h"

namespace selvane::paths {
namespace {

constexpr std::u16string_view kUncStart = u"\\\\";

std::u16string Trim(const std::u16string& text) {
    const auto first = text.find_first_not_of(u' ');
    if (first == std::u16string::npos) return {};
    return text.substr(first, text.find_last_not_of(u' ') - first + 1);
}

}  // namespace

std::u16string ShareText(const std::u16string& lowered_entry) {
    const auto start = lowered_entry.find(kUncStart);
    std::u16string text = start == std::u16string::npos ? lowered_entry : lowered_entry.substr(start);
    const auto close = text.find(u']');
    if (close != std::u16string::npos) text.resize(close);
    return text;
}

ServerVolume ParseServerVolume(const std::u16string& uppered_entry) {
    ServerVolume result;
    const auto start = uppered_entry.find(kUncStart);
    if (start == std::u16string::npos) return result;
    const auto server_start = start + kUncStart.size();
    const auto close = uppered_entry.find(u']', server_start);
    const auto end = close == std::u16string::npos ? uppered_entry.size() : close;
    const auto slash = uppered_entry.find(u'\\', server_start);
    if (slash == std::u16string::npos || slash > end) {
        result.server = Trim(uppered_entry.substr(server_start, end - server_start));
        return result;
    }
    result.server = Trim(uppered_entry.substr(server_start, slash - server_start));
    result.volume = Trim(uppered_entry.substr(slash + 1, end - slash - 1));
    return result;
}

std::optional<std::u16string> MapNetworkPath(const std::u16string& lowered_path,
                                              const std::vector<std::u16string>& lowered_entries) {
    for (const auto& entry : lowered_entries) {
        if (entry.empty()) continue;
        const std::u16string share = ShareText(entry);
        if (share.compare(0, kUncStart.size(), kUncStart) != 0) continue;
        if (lowered_path.compare(0, share.size(), share) != 0) continue;
        if (lowered_path.size() > share.size() && lowered_path[share.size()] != u'\\') continue;
        // The volume itself is the drive's root; a bare "x:" would name the drive's current folder.
        const std::u16string rest = lowered_path.substr(share.size());
        return std::u16string{entry[0], u':'} + (rest.empty() ? u"\\" : rest);
    }
    return std::nullopt;
}

}  // namespace selvane::paths
