// The host contract on the in-memory host, over the same drives as the Windows tests' fixture.
#include <memory>

#include "control/selvane.h"
#include "memory/memory_host.h"
#include "memory/memory_property_bag.h"
#include "tests/common/host_contract.h"

namespace selvane::testing {
namespace {

class MemoryWorld {
public:
    MemoryWorld() {
        memory::MemoryFileSystem& fs = host_.fs;
        fs.AddLocalDrive(u'c');
        fs.AddLocalDrive(u'd', kDataLabel);
        fs.AddLocalDrive(u'e');
        fs.AddNetworkDrive(u'n', kNetworkRemote);
        fs.AddLocalDrive(u'z');
        for (const LayoutEntry& entry : kContractLayout) {
            if (entry.attributes & attr::kDirectory) {
                fs.AddDirectory(entry.path, entry.attributes);
            } else {
                fs.AddFile(entry.path, entry.size, kLayoutTime, entry.attributes | attr::kArchive);
            }
        }
        host_.NewSurface(u'd', u"d:\\DOCS");
        host_.surface->SetShown(false);
        // As the test prefix associates web pages.
        host_.shell.browser = u"C:\\windows\\system32\\winebrowser.exe";
    }

    host::FileSystem& files() { return host_.fs; }
    host::Surface& surface() { return *host_.surface; }
    void SetCurrentFolder(const std::u16string& path) { host_.fs.SetCurrentFolder(path); }
    void SelectListEntry(int index) { host_.surface->List1().UserClick(index); }
    void ClickListEntry(int index, ClickKeys keys) {
        using Keys = memory::MemoryListBox::Keys;
        host_.surface->List1().UserClick(index, keys == ClickKeys::kShift  ? Keys::kShift
                                                : keys == ClickKeys::kCtrl ? Keys::kCtrl
                                                                           : Keys::kNone);
    }
    void ShowSurface(bool shown) { host_.surface->SetShown(shown); }
    std::u16string NewFolder() {
        host_.fs.AddDirectory(u"D:\\watched");
        return u"D:\\watched";
    }
    void MakeFile(const std::u16string& path) { host_.fs.AddFile(path); }
    template <class Done>
    void PumpUntil(Done) {
        host_.surface->Pump();
    }

    const host::Locale& locale() { return host_.locale; }
    host::Forms& forms() { return host_.forms; }
    host::Shell& shell() { return host_.shell; }

    void ClickWhileShown(host::Form& form, const host::form::Design&, const std::vector<std::u16string>& names) {
        host_.forms.user = [&](memory::MemoryForm& shown) {
            for (const std::u16string& name : names) shown.Click(name);
        };
        form.ShowModal();
        EXPECT_FALSE(static_cast<memory::MemoryForm&>(form).loaded());
    }

    // A control made on a surface of its own, as the host makes one with saved settings.
    Reloaded Reload(Store store, const host::Property& property, const host::StoredValue& value) {
        const std::u16string key(property.name);
        memory::MemoryPropertyBag bag;
        SettingsRecord record;
        if (store == Store::kHostBag) {
            bag.Set(key, value);
        } else {
            PutStored(record, key, value);
        }
        memory::MemorySite control_site;
        memory::MemorySurface control_surface(host_.fs, u'c', u"c:\\");
        Selvane control(host::Host{control_surface, host_.fs, host_.locale, control_site, host_.forms,
                                   host_.shell});
        control.Initialize();
        Reloaded reloaded;
        reloaded.error = 0;
        if (store == Store::kHostBag) {
            control.ReadProperties(bag);
        } else {
            control.ReadProperties(record);
        }
        for (const auto& [failed, error] : control_site.load_errors) {
            if (failed == key) reloaded.error = error;
        }
        if (store == Store::kHostBag) {
            memory::MemoryPropertyBag saved;
            saved.keep_defaults = true;
            control.WriteProperties(saved);
            if (saved.Has(key)) reloaded.saved = saved.Get(key);
        } else {
            SettingsRecord saved;
            control.WriteProperties(saved);
            reloaded.saved = SavedIn(saved, key);
        }
        return reloaded;
    }

    static bool UnderWine() { return false; }

private:
    memory::MemoryHost host_;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Memory, FileSystemContract, MemoryWorld);
INSTANTIATE_TYPED_TEST_SUITE_P(Memory, ChildrenContract, MemoryWorld);
INSTANTIATE_TYPED_TEST_SUITE_P(Memory, ServicesContract, MemoryWorld);

}  // namespace
}  // namespace selvane::testing
