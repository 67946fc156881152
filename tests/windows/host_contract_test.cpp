// The host contract on the Win32 host, against the fixture drives (tests/windows/fixture.h).
#include <windows.h>

#include <memory>

#include "host/win32/win32_file_system.h"
#include "host/win32/win32_surface.h"
#include "tests/windows/com_support.h"
#include "tests/common/host_contract.h"

namespace selvane::testing {
namespace {

class Win32World {
public:
    Win32World() {
        wchar_t current[MAX_PATH] = {};
        ::GetCurrentDirectoryW(MAX_PATH, current);
        previous_folder_ = current;
    }
    ~Win32World() {
        surface_.reset();
        ::SetCurrentDirectoryW(previous_folder_.c_str());
    }
    Win32World(const Win32World&) = delete;
    Win32World& operator=(const Win32World&) = delete;

    host::FileSystem& files() { return files_; }
    // A surface of its own, hidden: no parent window is needed for the children to work.
    host::Surface& surface() {
        if (!surface_) surface_ = std::make_unique<win32::Win32Surface>(nullptr, u"d:\\DOCS");
        return *surface_;
    }
    void SetCurrentFolder(const std::u16string& path) {
        ASSERT_TRUE(::SetCurrentDirectoryW(win32::Wide(path).c_str())) << "error " << ::GetLastError();
    }
    void SelectListEntry(int index) {
        ::SendMessageW(surface_->ChildWindowOf(u"List1"), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
    static bool UnderWine() { return testing::UnderWine(); }

private:
    std::wstring previous_folder_;
    win32::Win32FileSystem files_;
    std::unique_ptr<win32::Win32Surface> surface_;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Win32, FileSystemContract, Win32World);
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, ChildrenContract, Win32World);

}  // namespace
}  // namespace selvane::testing
