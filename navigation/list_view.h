// Where a user's view of a list stays when the list's entries change under it.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>

namespace selvane::list_view {

// The entry of the old list (`count` entries, in the order shown) that the view at `index`
// stays on, given which old entries the new list still holds: the entry itself while it stays,
// else the nearest that stays below it, which moves up into its place, else the nearest above.
// Nothing when no entry stays, or `index` is outside the list.
std::optional<std::size_t> NearestStaying(std::size_t index, std::size_t count,
                                          const std::function<bool(std::size_t)>& stays);

}  // namespace selvane::list_view
