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

// The type library's platform: where its path is registered, and which one unregistering takes back.
constexpr SYSKIND kOwnSysKind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;
// The registry view of the other bitness's build.
constexpr REGSAM kOtherView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;

HRESULT RegisterLibrary() {
    const std::wstring path = ModulePath();
    ComPtr<ITypeLib> library;
    RETURN_IF_FAILED(::LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.put()));
    return ::RegisterTypeLib(library.get(), const_cast<LPOLESTR>(path.c_str()), nullptr);
}

bool KeyExists(const std::wstring& key, REGSAM view = 0) {
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ | view, &opened) != ERROR_SUCCESS) return false;
    ::RegCloseKey(opened);
    return true;
}

std::wstring LibraryKey() {
    return L"TypeLib\\" + GuidText(LIBID_Selvane_OCX) + L"\\" + std::to_wstring(kLibraryMajor) + L"." +
           std::to_wstring(kLibraryMinor);
}

// Whether this library's own platform is registered, in either of the locale forms.
bool LibraryRegistered() {
    const std::wstring platform = kOwnSysKind == SYS_WIN64 ? L"win64" : L"win32";
    return KeyExists(LibraryKey() + L"\\409\\" + platform) || KeyExists(LibraryKey() + L"\\0\\" + platform);
}

// Whether the build of the other bitness has its class registered in its own view. The class
// keys are the ones Windows keeps apart for 32-bit and 64-bit programs; on a 32-bit system
// there is one view, and this build's keys are gone by the time this is asked.
bool OtherBuildRegistered() {
    return KeyExists(L"CLSID\\" + GuidText(CLSID_Selvane) + L"\\InprocServer32", kOtherView);
}

// For a user's registration, HKEY_CLASSES_ROOT stands for HKEY_CURRENT_USER\Software\Classes in
// this process while the registration runs, for our own writes and for the type library's.
// That is how the system's own registration functions are sent to the user's classes; Windows
// honours it for type libraries only after OaEnablePerUserTLibRegistration.
class ClassesRoot {
public:
    explicit ClassesRoot(Scope scope) {
        if (scope == Scope::kMachine) return;
        status_ = ::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    KEY_ALL_ACCESS, nullptr, &user_classes_, nullptr);
        if (status_ != ERROR_SUCCESS) return;
        status_ = ::RegOverridePredefKey(HKEY_CLASSES_ROOT, user_classes_);
        if (status_ != ERROR_SUCCESS) return;
        overridden_ = true;
        using Enable = void(WINAPI*)();
        if (HMODULE oleaut = ::GetModuleHandleW(L"oleaut32.dll")) {
            const auto enable = reinterpret_cast<Enable>(
                reinterpret_cast<void*>(::GetProcAddress(oleaut, "OaEnablePerUserTLibRegistration")));
            if (enable) enable();
        }
    }
    ~ClassesRoot() {
        if (overridden_) ::RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        if (user_classes_) ::RegCloseKey(user_classes_);
    }
    ClassesRoot(const ClassesRoot&) = delete;
    ClassesRoot& operator=(const ClassesRoot&) = delete;

    HRESULT status() const { return HRESULT_FROM_WIN32(status_); }

private:
    HKEY user_classes_ = nullptr;
    LONG status_ = ERROR_SUCCESS;
    bool overridden_ = false;
};

HRESULT RegisterInRoot() {
    for (const Entry& entry : Entries()) {
        if (FAILED(WriteEntry(entry))) return SELFREG_E_CLASS;
    }
    return FAILED(RegisterLibrary()) ? SELFREG_E_TYPELIB : S_OK;
}

HRESULT UnregisterInRoot() {
    HRESULT result = S_OK;
    const std::wstring clsid = L"CLSID\\" + GuidText(CLSID_Selvane);
    if (FAILED(RemoveTree(clsid))) result = SELFREG_E_CLASS;
    // The ProgIDs are kept in one place for both bitnesses.
    if (!OtherBuildRegistered()) {
        for (const std::wstring& tree : OwnTrees()) {
            if (tree != clsid && FAILED(RemoveTree(tree))) result = SELFREG_E_CLASS;
        }
    }
    // Only a library that is registered can be taken back; one already gone counts as done.
    // The system keeps the version key while the other platform is registered under it.
    if (LibraryRegistered() && FAILED(::UnRegisterTypeLib(LIBID_Selvane_OCX, kLibraryMajor, kLibraryMinor,
                                                           kLibraryLocale, kOwnSysKind)) &&
        result == S_OK) {
        result = SELFREG_E_TYPELIB;
    }
    return result;
}

}  // namespace

bool ParseScope(const wchar_t* command_line, Scope& scope) noexcept {
    if (command_line == nullptr || *command_line == L'\0' || ::lstrcmpiW(command_line, L"machine") == 0) {
        scope = Scope::kMachine;
        return true;
    }
    if (::lstrcmpiW(command_line, L"user") == 0) {
        scope = Scope::kUser;
        return true;
    }
    return false;
}

HRESULT RegisterServer(Scope scope) noexcept {
    try {
        const ClassesRoot root(scope);
        if (FAILED(root.status())) return root.status();
        const HRESULT result = RegisterInRoot();
        if (FAILED(result)) UnregisterInRoot();
        return result;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT UnregisterServer(Scope scope) noexcept {
    try {
        const ClassesRoot root(scope);
        if (FAILED(root.status())) return root.status();
        return UnregisterInRoot();
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace selvane::com
