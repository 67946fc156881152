// The host contract on the Win32 host, against the fixture drives (tests/windows/fixture.h), and
// on the registered control for the store of saved settings.
#include <windows.h>
#include <ocidl.h>

#include <algorithm>
#include <memory>

#include "win32/win32_file_system.h"
#include "win32/win32_forms.h"
#include "win32/win32_locale.h"
#include "win32/win32_shell.h"
#include "win32/win32_surface.h"
#include "tests/windows/com_support.h"
#include "tests/windows/modal_user.h"
#include "tests/common/host_contract.h"

namespace selvane::testing {
namespace {

void ToVariant(const host::StoredValue& value, VARIANT& variant) {
    if (const auto* number = std::get_if<std::int32_t>(&value)) {
        variant.vt = VT_I4;
        variant.lVal = *number;
    } else if (const auto* real = std::get_if<double>(&value)) {
        variant.vt = VT_R8;
        variant.dblVal = *real;
    } else if (const auto* truth = std::get_if<bool>(&value)) {
        variant.vt = VT_BOOL;
        variant.boolVal = *truth ? VARIANT_TRUE : VARIANT_FALSE;
    } else {
        variant.vt = VT_BSTR;
        variant.bstrVal = Bstr(win32::Wide(std::get<std::u16string>(value))).release();
    }
}

std::optional<host::StoredValue> FromVariant(const VARIANT* variant) {
    if (variant == nullptr) return std::nullopt;
    switch (variant->vt) {
    case VT_I4: return host::StoredValue(static_cast<std::int32_t>(variant->lVal));
    case VT_BOOL: return host::StoredValue(variant->boolVal != VARIANT_FALSE);
    case VT_BSTR: return host::StoredValue(win32::Utf16(variant->bstrVal));
    default: ADD_FAILURE() << "saved as type " << variant->vt; return std::nullopt;
    }
}

class Win32World {
public:
    Win32World() {
        wchar_t current[MAX_PATH] = {};
        ::GetCurrentDirectoryW(MAX_PATH, current);
        previous_folder_ = current;
    }
    ~Win32World() {
        surface_.reset();
        if (associated_) ::RegDeleteTreeW(HKEY_CLASSES_ROOT, L".htm");
        ::SetCurrentDirectoryW(previous_folder_.c_str());
        if (!folder_.empty()) {
            for (const std::wstring& file : made_) ::DeleteFileW(file.c_str());
            ::RemoveDirectoryW(folder_.c_str());
        }
    }
    Win32World(const Win32World&) = delete;
    Win32World& operator=(const Win32World&) = delete;

    host::FileSystem& files() { return files_; }
    // A surface of its own, hidden: no parent window is needed for the children to work.
    win32::Win32Surface& surface() {
        if (!surface_) surface_ = std::make_unique<win32::Win32Surface>(nullptr, u"d:\\DOCS");
        return *surface_;
    }
    void SetCurrentFolder(const std::u16string& path) {
        ASSERT_TRUE(::SetCurrentDirectoryW(win32::Wide(path).c_str())) << "error " << ::GetLastError();
    }
    void SelectListEntry(int index) {
        ::SendMessageW(surface_->ChildWindowOf(u"List1"), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
    // The press and release a mouse gives the list, with the key's flag as the system sets it.
    void ClickListEntry(int index, ClickKeys keys) {
        const HWND list = surface_->ChildWindowOf(u"List1");
        RECT item{};
        ASSERT_NE(::SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)), LB_ERR);
        const LPARAM at = MAKELPARAM(item.left + 4, (item.top + item.bottom) / 2);
        const WPARAM held = keys == ClickKeys::kShift ? MK_SHIFT : keys == ClickKeys::kCtrl ? MK_CONTROL : 0;
        ::SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON | held, at);
        ::SendMessageW(list, WM_LBUTTONUP, held, at);
    }

    void ShowSurface(bool shown) { ::ShowWindow(surface().hwnd(), shown ? SW_SHOWNA : SW_HIDE); }
    std::u16string NewFolder() {
        folder_ = L"D:\\contract-" + std::to_wstring(::GetCurrentProcessId());
        EXPECT_TRUE(::CreateDirectoryW(folder_.c_str(), nullptr)) << "error " << ::GetLastError();
        return win32::Utf16(folder_);
    }
    void MakeFile(const std::u16string& path) {
        const std::wstring wide = win32::Wide(path);
        win32::UniqueFile file(::CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
        ASSERT_TRUE(file) << "error " << ::GetLastError();
        made_.push_back(wide);
    }
    // The change notification and the surface's short timer take a moment under Wine.
    template <class Done>
    void PumpUntil(Done done) {
        const DWORD start = ::GetTickCount();
        DWORD quiet_from = 0;
        for (;;) {
            MSG message;
            while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
            const DWORD now = ::GetTickCount();
            if (quiet_from == 0 && (done() || now - start > 1500)) quiet_from = now;
            if (quiet_from != 0 && now - quiet_from > 400) return;
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
    }

    const host::Locale& locale() { return locale_; }
    host::Forms& forms() { return forms_; }
    // The prefix names a program for its "htmlfile" class but maps no type onto it.
    host::Shell& shell() {
        HKEY key = nullptr;
        if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, L".htm", 0, KEY_READ, &key) == ERROR_SUCCESS) {
            ::RegCloseKey(key);
        } else {
            const wchar_t kClass[] = L"htmlfile";
            associated_ = ::RegSetKeyValueW(HKEY_CLASSES_ROOT, L".htm", nullptr, REG_SZ, kClass, sizeof kClass) ==
                          ERROR_SUCCESS;
        }
        return shell_;
    }

    void ClickWhileShown(host::Form& form, const host::form::Design& design, const std::vector<std::u16string>& names) {
        std::vector<host::form::Control> in_tab_order = design.controls;
        std::stable_sort(in_tab_order.begin(), in_tab_order.end(),
                         [](const auto& a, const auto& b) { return a.tab_index < b.tab_index; });
        const std::wstring caption = win32::Wide(std::u16string(design.caption));
        bool found = false;
        const bool done = WhileModal([&] { form.ShowModal(); },
                                     [&](DWORD thread) {
                                         HWND window = WaitForWindow(thread, L"SelvaneForm", caption.c_str());
                                         if (!window) return;
                                         found = true;
                                         const std::vector<HWND> children = ChildrenOf(window);
                                         ::Sleep(300);  // the form takes the focus first
                                         for (const std::u16string& name : names) {
                                             for (std::size_t i = 0; i < in_tab_order.size(); ++i) {
                                                 if (in_tab_order[i].name == name) ClickCentre(children.at(i));
                                             }
                                             ::Sleep(300);
                                         }
                                     });
        EXPECT_TRUE(found) << "the form showed";
        EXPECT_TRUE(done) << "the form was unloaded by its own event";
    }

    // The registered control, as a container loads it from saved settings and saves it again.
    Reloaded Reload(Store store, const host::Property& property, const host::StoredValue& value) {
        const std::u16string key(property.name);
        const std::wstring wide_key = win32::Wide(key);
        ComPtr<IUnknown> object = CreateSelvane();
        Reloaded reloaded;
        if (store == Store::kHostBag) {
            auto bag = Make<RecordingBag>();
            win32::Variant stored;
            ToVariant(value, *stored.get());
            bag->Put(wide_key, *stored.get());
            EXPECT_EQ(As<IPersistPropertyBag>(object)->Load(bag.get(), bag.get()), S_OK);
            reloaded.error = 0;
            for (const auto& [failed, hr] : bag->errors) {
                if (failed == wide_key) reloaded.error = HRESULT_CODE(hr);
            }
            auto saved = Make<RecordingBag>();
            EXPECT_EQ(As<IPersistPropertyBag>(object)->Save(saved.get(), TRUE, TRUE), S_OK);
            reloaded.saved = FromVariant(saved->Find(wide_key));
        } else {
            // A stream comes with no error log: the control's refusal shows only in what it keeps.
            SettingsRecord record;
            PutStored(record, key, value);
            EXPECT_EQ(As<IPersistStreamInit>(object)->Load(StreamOf(record.Encode()).get()), S_OK);
            ComPtr<IStream> saved_stream = StreamOf({});
            EXPECT_EQ(As<IPersistStreamInit>(object)->Save(saved_stream.get(), TRUE), S_OK);
            const std::vector<std::uint8_t> bytes = BytesOf(saved_stream.get());
            SettingsRecord saved = SettingsRecord::Decode(bytes.data(), bytes.size());
            reloaded.saved = SavedIn(saved, key);
        }
        EXPECT_EQ(ReleaseLast(object), 0u);
        return reloaded;
    }

    static bool UnderWine() { return testing::UnderWine(); }

private:
    std::wstring previous_folder_;
    win32::Win32FileSystem files_;
    std::unique_ptr<win32::Win32Surface> surface_;
    std::wstring folder_;
    std::vector<std::wstring> made_;
    win32::Win32Locale locale_;
    win32::Win32Forms forms_;
    win32::Win32Shell shell_;
    bool associated_ = false;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Win32, FileSystemContract, Win32World);
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, ChildrenContract, Win32World);
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, ServicesContract, Win32World);

}  // namespace
}  // namespace selvane::testing
