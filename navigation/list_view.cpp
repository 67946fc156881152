#include "navigation/list_view.h"

namespace selvane::list_view {

std::optional<std::size_t> NearestStaying(std::size_t index, std::size_t count,
                                          const std::function<bool(std::size_t)>& stays) {
    if (index >= count) return std::nullopt;
    for (std::size_t below = index; below < count; ++below) {
        if (stays(below)) return below;
    }
    for (std::size_t above = index; above-- > 0;) {
        if (stays(above)) return above;
    }
    return std::nullopt;
}

}  // namespace selvane::list_view
