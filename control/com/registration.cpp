// Self-registration, as one table of registry values walked in one loop.
#include "control/com/registration.h"

#include <olectl.h>

#include <string>
#include <vector>

#include "control/com/module.h"
#include "control/com/selvane_h.h"

namespace selvane::com {
namespace {

constexpr wchar_t kProgId[] = L"Selvane_OCX.Selvane";
constexpr wchar_t kVersionedProgId[] = L"Selvane_OCX.Selvane.1";
constexpr wchar_t kClassName[] = L"Selvane Control";
constexpr int kToolboxBitmap = 30000;
constexpr WORD kLibraryMajor = 4;
constexpr WORD kLibraryMinor = 0;
constexpr LCID kLibraryLocale = 0x0409;
// The component category of controls; the safe-for-scripting ones are deliberately absent.
constexpr wchar_t kControlCategory[] = L"{40FC6ED4-2438-11CF-A3DB-080036F12502}";

std::wstring GuidText(REFGUID guid) {
    wchar_t text[40] = {};
    ::StringFromGUID2(guid, text, 40);
    return text;
}

struct Entry {
    std::wstring key;    // under HKEY_CLASSES_ROOT
    const wchar_t* name;  // nullptr for the key's default value
    std::wstring value;
};

std::vector<Entry> Entries() {
    const std::wstring clsid = L"CLSID\\" + GuidText(CLSID_Selvane);
    const std::wstring path = ModulePath();
    return {
        {clsid, nullptr, kClassName},
        {clsid + L"\\InprocServer32", nullptr, path},
        {clsid + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {clsid + L"\\Control", nullptr, L""},
        {clsid + L"\\MiscStatus", nullptr, L"0"},
        {clsid + L"\\MiscStatus\\1", nullptr, std::to_wstring(kMiscStatus)},
        {clsid + L"\\ToolboxBitmap32", nullptr, path + L", " + std::to_wstring(kToolboxBitmap)},
        {clsid + L"\\TypeLib", nullptr, GuidText(LIBID_Selvane_OCX)},
        {clsid + L"\\Version", nullptr, std::to_wstring(kLibraryMajor) + L"." + std::to_wstring(kLibraryMinor)},
        {clsid + L"\\ProgID", nullptr, kVersionedProgId},
        {clsid + L"\\VersionIndependentProgID", nullptr, kProgId},
        {clsid + L"\\Implemented Categories\\" + kControlCategory, nullptr, L""},
        {kProgId, nullptr, kClassName},
        {std::wstring(kProgId) + L"\\CLSID", nullptr, GuidText(CLSID_Selvane)},
        {std::wstring(kProgId) + L"\\CurVer", nullptr, kVersionedProgId},
        {kVersionedProgId, nullptr, kClassName},
        {std::wstring(kVersionedProgId) + L"\\CLSID", nullptr, GuidText(CLSID_Selvane)},
    };
}

// The keys whose whole trees are ours.
std::vector<std::wstring> OwnTrees() {
    return {L"CLSID\\" + GuidText(CLSID_Selvane), kProgId, kVersionedProgId};
}

HRESULT WriteEntry(const Entry& entry) {
    HKEY key = nullptr;
    LONG status = ::RegCreateKeyExW(HKEY_CLASSES_ROOT, entry.key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    KEY_SET_VALUE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    const auto bytes = static_cast<DWORD>((entry.value.size() + 1) * sizeof(wchar_t));
    status = ::RegSetValueExW(key, entry.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(entry.value.c_str()), bytes);
    ::RegCloseKey(key);
    return HRESULT_FROM_WIN32(status);
}

HRESULT RemoveTree(const std::wstring& key) {
    const LONG status = ::RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(status);
}

HRESULT RegisterLibrary() {
    const std::wstring path = ModulePath();
    ComPtr<ITypeLib> library;
    RETURN_IF_FAILED(::LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.put()));
    return ::RegisterTypeLib(library.get(), const_cast<LPOLESTR>(path.c_str()), nullptr);
}

bool LibraryRegistered() {
    const std::wstring key = L"TypeLib\\" + GuidText(LIBID_Selvane_OCX) + L"\\" + std::to_wstring(kLibraryMajor) +
                             L"." + std::to_wstring(kLibraryMinor);
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    ::RegCloseKey(opened);
    return true;
}

}  // namespace

HRESULT RegisterServer() noexcept {
    try {
        for (const Entry& entry : Entries()) {
            const HRESULT hr = WriteEntry(entry);
            if (FAILED(hr)) {
                UnregisterServer();
                return SELFREG_E_CLASS;
            }
        }
        if (FAILED(RegisterLibrary())) {
            UnregisterServer();
            return SELFREG_E_TYPELIB;
        }
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT UnregisterServer() noexcept {
    try {
        HRESULT result = S_OK;
        for (const std::wstring& tree : OwnTrees()) {
            if (FAILED(RemoveTree(tree))) result = SELFREG_E_CLASS;
        }
        // Only a library that is registered can be taken back; one already gone counts as done.
        if (LibraryRegistered() && FAILED(::UnRegisterTypeLib(LIBID_Selvane_OCX, kLibraryMajor, kLibraryMinor,
                                                               kLibraryLocale, SYS_WIN32)) &&
            result == S_OK) {
            result = SELFREG_E_TYPELIB;
        }
        return result;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace selvane::com
