// How often the disk may take the host's thread: after a listing for a change that took d, no
// listing for a change starts again before kQuietFactor * d have passed, whichever control it is
// for. Together they take no more than about a quarter of the thread however the disk storms.
// Times are milliseconds since boot as a 64-bit tick counts them, which doesn't wrap.
#pragma once

#include <cstdint>

namespace selvane::pace {

inline constexpr std::uint64_t kQuietFactor = 3;

// When listings for changes may start again, after one that ran from `started` to `ended`.
std::uint64_t QuietUntil(std::uint64_t started, std::uint64_t ended);

// How long listings for changes must still wait at `now`; `until` is 0 until a listing set it.
std::uint64_t QuietLeft(std::uint64_t until, std::uint64_t now);

// The watch's check of a shown folder runs off the host's thread, never two at once: every
// kCheckPeriod while the watch is lost or was never armed, so that it is armed again soon after
// its folder answers; every kLiveCheckPeriod while it runs, when the watch itself tells of the
// changes within the folder and the check only looks for the folder swapped for another; and on
// a slow drive no sooner than kCheckFactor times the last one took, at most kLongestCheckPeriod
// apart.
inline constexpr std::uint64_t kCheckPeriod = 1000;
inline constexpr std::uint64_t kLiveCheckPeriod = 10000;
inline constexpr std::uint64_t kCheckFactor = 4;
inline constexpr std::uint64_t kLongestCheckPeriod = 30000;

// How long after a check that took `took` the next one may start, for a live watch or not.
std::uint64_t NextCheckAfter(std::uint64_t took, bool live);

// A call to the disk that stays silent for kSilence is given up. The calls that one action of the
// user or one call of the host makes share that allowance: what one of them spent in silence,
// the next has no longer. Once an action has spent it all, each further call still has
// kLeastSilence, in which a drive that answers at all answers; a call cut short so says nothing
// of its drive.
inline constexpr std::uint64_t kSilence = 2000;
inline constexpr std::uint64_t kLeastSilence = 200;

// How long a call may stay silent in an action that has spent `spent` in silence so far.
std::uint64_t SilenceAllowed(std::uint64_t spent);

}  // namespace selvane::pace
