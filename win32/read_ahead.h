// A control's calls to the disk, noted so that they can be made ahead of time. When the folder
// shown changes, a worker makes again the calls the last listing of that folder made, and the
// listing for the change, on the host's thread, takes the worker's answers instead of asking
// the disk: the host's thread only applies what was read for it. A call the worker didn't make
// (the listing went otherwise this time) asks the disk as it always does, under the deadline.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "win32/file_access.h"

namespace selvane::win32 {

// One call as it was asked: which of the calls of file_access.h, and with what.
struct FileCall {
    enum class Kind { kAttributes, kListing };
    Kind kind = Kind::kAttributes;
    std::wstring path;
    FINDEX_SEARCH_OPS search = FindExSearchNameMatch;
    std::size_t limit = 0;

    bool operator==(const FileCall& other) const {
        return kind == other.kind && path == other.path && search == other.search && limit == other.limit;
    }
};

// What the disk answered to a call, as the call gives it back.
struct FileAnswer {
    FileCall call;
    bool answered = false;
    DWORD error = 0;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    std::vector<FoundEntry> entries;
};

// Makes the calls, one after another, on whatever thread runs it (a worker): each under the
// deadline, as the host's thread would have made it.
std::vector<FileAnswer> AnswersTo(const std::vector<FileCall>& calls);

// The calls of one control, all on its window's thread.
class ReadAhead {
public:
    DWORD FileAttributes(const std::wstring& path);
    bool FileAttributeData(const std::wstring& path, WIN32_FILE_ATTRIBUTE_DATA& data);
    bool ListEntries(const std::wstring& path, FINDEX_SEARCH_OPS search, std::vector<FoundEntry>& entries,
                     std::size_t limit = 0);

    // The calls on the folder or on names directly in it that the last action to list the
    // folder made, with those of the one action after it: what a listing for a change makes.
    std::vector<FileCall> ListingOf(const std::wstring& folder) const;

    // Answers to take in place of asking the disk, each once, until Withdraw.
    void Offer(std::vector<FileAnswer> answers) { offered_ = std::move(answers); }
    void Withdraw() { offered_.clear(); }

private:
    struct Noted {
        FileCall call;
        std::uint64_t action;
    };

    // Notes the call; an answer offered for it, when there is one, taken away.
    std::optional<FileAnswer> Ask(const FileCall& call);

    static constexpr std::size_t kMostNoted = 32;
    std::vector<Noted> noted_;
    std::uint64_t listing_action_ = 0;
    std::vector<FileAnswer> offered_;
};

}  // namespace selvane::win32
