#include "navigation/list_view.h"

#include <algorithm>
#include <string_view>
#include <unordered_set>

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

KeptView Keep(const ShownView& shown, const std::vector<std::u16string>& names) {
    const std::unordered_set<std::u16string_view> staying(names.begin(), names.end());
    auto stays = [&](const std::u16string& name) { return staying.count(name) != 0; };
    auto kept_at = [&](int index) -> std::u16string {
        if (index < 0) return u"";
        const std::optional<std::size_t> at = NearestStaying(static_cast<std::size_t>(index), shown.count,
                                                             [&](std::size_t i) { return stays(shown.entry(i)); });
        return at ? shown.entry(*at) : u"";
    };
    KeptView kept;
    kept.top = kept_at(shown.top);
    kept.caret = kept_at(shown.caret);
    for (const std::u16string& chosen : shown.chosen) {
        if (stays(chosen)) kept.chosen.push_back(chosen);
    }
    return kept;
}

std::vector<RestoreStep> RestoreSteps(const KeptView& kept) {
    std::vector<RestoreStep> steps;
    for (const std::u16string& chosen : kept.chosen) {
        if (chosen != kept.caret) steps.push_back({RestoreStep::Part::kSelected, chosen});
    }
    const bool caret_chosen = std::find(kept.chosen.begin(), kept.chosen.end(), kept.caret) != kept.chosen.end();
    if (caret_chosen) {
        steps.push_back({RestoreStep::Part::kSelected, kept.caret});
    } else if (!kept.caret.empty()) {
        steps.push_back({RestoreStep::Part::kCaret, kept.caret});
    }
    if (!kept.top.empty()) steps.push_back({RestoreStep::Part::kTop, kept.top});
    return steps;
}

}  // namespace selvane::list_view
