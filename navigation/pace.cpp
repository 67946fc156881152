#include "navigation/pace.h"

namespace selvane::pace {

std::uint64_t QuietUntil(std::uint64_t started, std::uint64_t ended) {
    const std::uint64_t took = ended > started ? ended - started : 0;
    return ended + kQuietFactor * took;
}

std::uint64_t QuietLeft(std::uint64_t until, std::uint64_t now) { return until > now ? until - now : 0; }

std::uint64_t NextCheckAfter(std::uint64_t took, bool live) {
    if (took >= kLongestCheckPeriod / kCheckFactor) return kLongestCheckPeriod;
    const std::uint64_t period = live ? kLiveCheckPeriod : kCheckPeriod;
    return took * kCheckFactor > period ? took * kCheckFactor : period;
}

std::uint64_t SilenceAllowed(std::uint64_t spent) {
    return spent >= kSilence - kLeastSilence ? kLeastSilence : kSilence - spent;
}

}  // namespace selvane::pace
