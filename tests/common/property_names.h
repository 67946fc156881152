// The names of the control's properties, in saving order, as the member table lists them.
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

}  // namespace selvane::testing
