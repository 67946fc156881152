#include "win32/read_ahead.h"

#include <algorithm>
#include <exception>
#include <string_view>
#include <utility>

#include "win32/deadline.h"
#include "paths/path_text.h"

namespace selvane::win32 {
namespace {

// Whether the path is the folder itself or a name directly in it ("d:\docs", "d:\docs\*.txt").
bool InFolder(const std::wstring& path, std::wstring folder) {
    while (!folder.empty() && paths::IsSeparator(folder.back())) folder.pop_back();
    if (folder.empty() || path.size() < folder.size() ||
        ::CompareStringOrdinal(path.c_str(), static_cast<int>(folder.size()), folder.c_str(),
                               static_cast<int>(folder.size()), TRUE) != CSTR_EQUAL) {
        return false;
    }
    const std::wstring_view rest = std::wstring_view(path).substr(folder.size());
    if (rest.empty()) return true;
    return paths::IsSeparator(rest.front()) &&
           std::none_of(rest.begin() + 1, rest.end(), [](wchar_t c) { return paths::IsSeparator(c); });
}

}  // namespace

std::vector<FileAnswer> AnswersTo(const std::vector<FileCall>& calls) {
    std::vector<FileAnswer> answers;
    answers.reserve(calls.size());
    for (const FileCall& call : calls) {
        FileAnswer answer;
        answer.call = call;
        answer.answered = call.kind == FileCall::Kind::kListing
                              ? win32::ListEntries(call.path, call.search, answer.entries, call.limit)
                              : win32::FileAttributeData(call.path, answer.data);
        answer.error = ::GetLastError();
        answers.push_back(std::move(answer));
    }
    return answers;
}

DWORD ReadAhead::FileAttributes(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    return FileAttributeData(path, data) ? data.dwFileAttributes : INVALID_FILE_ATTRIBUTES;
}

bool ReadAhead::FileAttributeData(const std::wstring& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
    std::optional<FileAnswer> answer = Ask({FileCall::Kind::kAttributes, path, FindExSearchNameMatch, 0});
    if (!answer) return win32::FileAttributeData(path, data);
    data = answer->data;
    ::SetLastError(answer->error);
    return answer->answered;
}

bool ReadAhead::ListEntries(const std::wstring& path, FINDEX_SEARCH_OPS search, std::vector<FoundEntry>& entries,
                            std::size_t limit) {
    std::optional<FileAnswer> answer = Ask({FileCall::Kind::kListing, path, search, limit});
    if (!answer) return win32::ListEntries(path, search, entries, limit);
    entries = std::move(answer->entries);
    ::SetLastError(answer->error);
    return answer->answered;
}

std::vector<FileCall> ReadAhead::ListingOf(const std::wstring& folder) const {
    std::vector<FileCall> calls;
    for (const Noted& noted : noted_) {
        if (InFolder(noted.call.path, folder)) calls.push_back(noted.call);
    }
    return calls;
}

// An action that lists begins the record anew; of the actions after it only the last one's
// calls are kept (the details of the file last chosen, say), so that the record stays what one
// listing for a change asks.
std::optional<FileAnswer> ReadAhead::Ask(const FileCall& call) {
    const std::uint64_t action = CurrentAction();
    try {
        if (call.kind == FileCall::Kind::kListing && action != listing_action_) {
            noted_.clear();
            listing_action_ = action;
        }
        noted_.erase(std::remove_if(noted_.begin(), noted_.end(),
                                    [&](const Noted& n) {
                                        return n.call == call || (n.action != listing_action_ && n.action != action);
                                    }),
                     noted_.end());
        if (noted_.size() == kMostNoted) noted_.erase(noted_.begin());
        noted_.push_back({call, action});
    } catch (const std::exception&) {
        // No memory to note it with: the next listing for a change asks the disk for it itself.
    }
    const auto found = std::find_if(offered_.begin(), offered_.end(), [&](const FileAnswer& a) { return a.call == call; });
    if (found == offered_.end()) return std::nullopt;
    std::optional<FileAnswer> answer(std::move(*found));
    offered_.erase(found);
    return answer;
}

}  // namespace selvane::win32
