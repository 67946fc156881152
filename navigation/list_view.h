// Where a user's view of a list stays when the list's entries change under it.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace selvane::list_view {

// The entry of the old list (`count` entries, in the order shown) that the view at `index`
// stays on, given which old entries the new list still holds: the entry itself while it stays,
// else the nearest that stays below it, which moves up into its place, else the nearest above.
// Nothing when no entry stays, or `index` is outside the list.
std::optional<std::size_t> NearestStaying(std::size_t index, std::size_t count,
                                          const std::function<bool(std::size_t)>& stays);

// A list as the user sees it: how many entries it holds and the text of each in the order shown
// (read only where the rule looks, which is near the top entry and the caret), the entry shown
// first, the caret's, -1 for none, and the chosen entries' text, in the order shown.
struct ShownView {
    std::size_t count = 0;
    std::function<std::u16string(std::size_t)> entry;
    int top = -1;
    int caret = -1;
    std::vector<std::u16string> chosen;
};

// The same view by name, each part where the new names keep it (empty: none).
struct KeptView {
    std::u16string top;
    std::u16string caret;
    std::vector<std::u16string> chosen;
};

// The top entry and the caret stay on their entry or the nearest that stays (NearestStaying);
// a chosen entry stays chosen only while the new names still hold it.
KeptView Keep(const ShownView& shown, const std::vector<std::u16string>& names);

// One step of putting a kept view back on the new list: the entry of that name gets the part.
struct RestoreStep {
    enum class Part { kSelected, kCaret, kTop };
    Part part;
    std::u16string name;
};

// The steps in the order they are taken. Each chosen entry carries the caret with it, the
// caret's own entry last when it is one of them; otherwise the caret goes on its own after
// them. The top entry comes last, as choosing an entry scrolls it into view.
std::vector<RestoreStep> RestoreSteps(const KeptView& kept);

}  // namespace selvane::list_view
