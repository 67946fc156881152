// What tests on either host ask of the host interfaces: the names an enumeration gives, and the
// run-time error a call fails with.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "host/error.h"
#include "host/file_system.h"

namespace selvane::testing {

// The names the path matches under the mask, sorted by code unit.
inline std::vector<std::u16string> Matches(host::FileSystem& files, const std::u16string& path,
                                           std::uint32_t mask = 0) {
    std::vector<std::u16string> names;
    files.Enumerate(path, mask, [&](const std::u16string& name) {
        names.push_back(name);
        return true;
    });
    std::sort(names.begin(), names.end());
    return names;
}

// The error code a call fails with, or 0 when it succeeds.
template <class Call>
std::int32_t ErrorOf(Call call) {
    try {
        call();
    } catch (const RuntimeError& e) {
        return e.code();
    }
    return 0;
}

}  // namespace selvane::testing
