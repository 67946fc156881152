// The names of the control's properties, in saving order, as the member table lists them: those
// saved every time, and all of them.
#pragma once

#include <string>
#include <vector>

#include "control/members.h"

namespace selvane::testing {

inline std::vector<std::u16string> PropertyNames() {
    std::vector<std::u16string> names;
    for (const host::Property& property : members::kProperties) names.emplace_back(property.name);
    return names;
}

inline std::vector<std::u16string> AllPropertyNames() {
    std::vector<std::u16string> names;
    for (const host::Property& property : members::kAllProperties) names.emplace_back(property.name);
    return names;
}

}  // namespace selvane::testing
