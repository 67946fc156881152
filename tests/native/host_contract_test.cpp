// The host contract on the in-memory host, over the same drives as the Windows tests' fixture.
#include <memory>

#include "host/memory/memory_file_system.h"
#include "host/memory/memory_surface.h"
#include "tests/common/host_contract.h"

namespace selvane::testing {
namespace {

class MemoryWorld {
public:
    MemoryWorld() {
        fs_.AddLocalDrive(u'c');
        fs_.AddLocalDrive(u'd', kDataLabel);
        fs_.AddLocalDrive(u'e');
        fs_.AddNetworkDrive(u'n', kNetworkRemote);
        fs_.AddLocalDrive(u'z');
        for (const LayoutEntry& entry : kContractLayout) {
            if (entry.attributes & attr::kDirectory) {
                fs_.AddDirectory(entry.path, entry.attributes);
            } else {
                fs_.AddFile(entry.path, entry.size, kLayoutTime, entry.attributes | attr::kArchive);
            }
        }
        surface_ = std::make_unique<memory::MemorySurface>(fs_, u'd', u"d:\\DOCS");
    }

    host::FileSystem& files() { return fs_; }
    host::Surface& surface() { return *surface_; }
    void SetCurrentFolder(const std::u16string& path) { fs_.SetCurrentFolder(path); }
    void SelectListEntry(int index) { surface_->List1().UserClick(index); }
    static bool UnderWine() { return false; }

private:
    memory::MemoryFileSystem fs_;
    std::unique_ptr<memory::MemorySurface> surface_;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Memory, FileSystemContract, MemoryWorld);
INSTANTIATE_TYPED_TEST_SUITE_P(Memory, ChildrenContract, MemoryWorld);

}  // namespace
}  // namespace selvane::testing
