// What tests on either host ask of the host interfaces: the names an enumeration gives, the
// run-time error a call fails with, and the events the children raise.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "host/controls.h"
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

// Records the children's events by name.
class ChildEventLog : public host::ChildEvents {
public:
    void OnDrive1Change() override { seen.push_back("Drive1"); }
    void OnDir1Change() override { seen.push_back("Dir1"); }
    void OnText1Change() override { seen.push_back("Text1"); }
    void OnCommand1Click() override { seen.push_back("Command1"); }
    void OnList1Click() override { seen.push_back("List1Click"); }
    void OnList1DblClick() override { seen.push_back("List1DblClick"); }
    void OnFolderChanged() override { seen.push_back("FolderChanged"); }
    void OnWatchCheck() override { seen.push_back("WatchCheck"); }
    void OnRefreshKey() override { seen.push_back("RefreshKey"); }
    void OnScaleChanged() override { seen.push_back("ScaleChanged"); }
    bool OnDropped(const std::u16string&) override {
        seen.push_back("Dropped");
        return true;
    }
    std::vector<std::string> seen;
};

}  // namespace selvane::testing
