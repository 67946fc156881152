// Self-registration, as one table of registry values walked in one loop.
#include "control/com/registration.h"

#include <olectl.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "control/com/module.h"
#include "control/com/registry_rows.h"
#include "control/com/selvane_h.h"
#include "win32/win32_base.h"
#include "paths/path_text.h"

namespace selvane::com {
namespace {

constexpr WORD kLibraryMajor = 4;
constexpr WORD kLibraryMinor = 1;
constexpr LCID kLibraryLocale = 0x0409;

std::wstring GuidText(REFGUID guid) {
    wchar_t text[40] = {};
    ::StringFromGUID2(guid, text, 40);
    return text;
}

// A value to write, or a key alone: "Control" and the category are markers that hosts look for,
// and carry no value, as an installer's rows write them.
struct Entry {
    std::wstring key;    // under HKEY_CLASSES_ROOT
    const wchar_t* name;  // nullptr for the key's default value
    std::optional<std::wstring> value;
};

// The keys whose whole trees are ours.
std::vector<std::wstring> OwnTrees() {
    return {L"CLSID\\" + GuidText(CLSID_Selvane), kProgId, kVersionedProgId};
}

// "<call> <key>", for a trace line.
std::u16string Naming(const char16_t* call, const std::wstring& key) { return call + (u" " + win32::Utf16(key)); }

HRESULT WriteEntry(const Entry& entry) {
    win32::UniqueKey key;
    LONG status = ::RegCreateKeyExW(HKEY_CLASSES_ROOT, entry.key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    KEY_SET_VALUE, nullptr, key.put(), nullptr);
    if (status != ERROR_SUCCESS) return Traced(HRESULT_FROM_WIN32(status), Naming(u"RegCreateKeyExW", entry.key));
    if (!entry.value) {
        // A key alone holds no value, also where an earlier version's registration left one.
        ::RegDeleteValueW(key.get(), nullptr);
        return S_OK;
    }
    const auto bytes = static_cast<DWORD>((entry.value->size() + 1) * sizeof(wchar_t));
    status = ::RegSetValueExW(key.get(), entry.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(entry.value->c_str()),
                              bytes);
    return Traced(HRESULT_FROM_WIN32(status), Naming(u"RegSetValueExW", entry.key));
}

HRESULT RemoveTree(const std::wstring& key) {
    const LONG status = ::RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) return S_OK;
    return Traced(HRESULT_FROM_WIN32(status), Naming(u"RegDeleteTreeW", key));
}

// The type library's platform: where its path is registered, and which one unregistering takes back.
constexpr const wchar_t* kOwnPlatform = sizeof(void*) == 8 ? L"win64" : L"win32";
// The registry view of the other bitness's build.
constexpr REGSAM kOtherView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
// Automation's marshallers: for dual and oleautomation interfaces, and for pure dispinterfaces.
constexpr wchar_t kAutomationProxy[] = L"{00020424-0000-0000-C000-000000000046}";
constexpr wchar_t kDispatchProxy[] = L"{00020420-0000-0000-C000-000000000046}";

std::wstring LibraryKey() {
    return L"TypeLib\\" + GuidText(LIBID_Selvane_OCX) + L"\\" + std::to_wstring(kLibraryMajor) + L"." +
           std::to_wstring(kLibraryMinor);
}

std::wstring LocaleKey() {
    wchar_t locale[16] = {};
    ::wsprintfW(locale, L"%x", kLibraryLocale);
    return locale;
}

using Tokens = std::vector<std::pair<std::wstring, std::wstring>>;

// The pattern with each {token} put in.
std::wstring Expand(const wchar_t* pattern, const Tokens& tokens) {
    std::wstring text = pattern;
    for (const auto& [name, value] : tokens) {
        const std::wstring token = L"{" + name + L"}";
        for (std::size_t at = text.find(token); at != std::wstring::npos; at = text.find(token, at + value.size())) {
            text.replace(at, token.size(), value);
        }
    }
    return text;
}

// The rows of registry_rows.h for this library at its path, with the type library's own title,
// flags and Automation interfaces. Written by hand in both scopes, as the installers write them:
// the system's route is not to be relied on (Wine's RegisterTypeLibForUser writes the machine's
// classes, and its RegisterTypeLib writes interface keys into the machine's 32-bit view whatever
// HKEY_CLASSES_ROOT stands for).
std::vector<Entry> Entries(ITypeLib* library, const std::wstring& path) {
    unsigned flags = 0;
    {
        const win32::LibraryAttributes attributes(library);
        if (!attributes) return {};
        flags = static_cast<unsigned>(attributes->wLibFlags & ~LIBFLAG_FHASDISKIMAGE);
    }
    win32::Bstr name;
    win32::Bstr help;
    Traced(library->GetDocumentation(-1, name.put(), help.put(), nullptr, nullptr), u"the library's GetDocumentation");
    const Tokens tokens = {
        {L"class", GuidText(CLSID_Selvane)},
        {L"class_name", kClassName},
        {L"prog_id", kProgId},
        {L"versioned_prog_id", kVersionedProgId},
        {L"threading_model", kThreadingModel},
        {L"misc_status", std::to_wstring(kMiscStatus)},
        {L"toolbox_bitmap", std::to_wstring(kToolboxBitmap)},
        {L"control_category", kControlCategory},
        {L"library", GuidText(LIBID_Selvane_OCX)},
        {L"library_version", std::to_wstring(kLibraryMajor) + L"." + std::to_wstring(kLibraryMinor)},
        {L"library_locale", LocaleKey()},
        {L"library_title", !help.str().empty() ? help.str() : name.str()},
        {L"library_flags", std::to_wstring(flags)},
        {L"platform", kOwnPlatform},
        {L"file", path},
    };
    // Each Automation interface, with its marshaller.
    std::vector<Tokens> interfaces;
    for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
        ComPtr<ITypeInfo> info;
        if (FAILED(Traced(library->GetTypeInfo(i, info.put()), u"the library's GetTypeInfo"))) continue;
        const win32::TypeAttributes type(info.get());
        if (!type) {
            TraceWarning(__FILE__, __LINE__, u"a type's GetTypeAttr failed: its interface is not registered");
            continue;
        }
        const bool dispatch = type->typekind == TKIND_DISPATCH;
        const bool automation = type->typekind == TKIND_INTERFACE && (type->wTypeFlags & TYPEFLAG_FOLEAUTOMATION);
        const bool dual = (type->wTypeFlags & TYPEFLAG_FDUAL) != 0;
        if (!dispatch && !automation) continue;
        win32::Bstr type_name;
        info->GetDocumentation(MEMBERID_NIL, type_name.put(), nullptr, nullptr, nullptr);
        interfaces.push_back({{L"interface", GuidText(type->guid)},
                              {L"interface_name", type_name.str()},
                              {L"proxy", dispatch && !dual ? kDispatchProxy : kAutomationProxy}});
    }
    std::vector<Entry> entries;
    const auto add = [&](const RegistryRow& row, const Tokens& more) {
        Tokens all = tokens;
        all.insert(all.end(), more.begin(), more.end());
        Entry entry{Expand(row.key, all), *row.name ? row.name : nullptr, std::nullopt};
        if (row.value != nullptr) entry.value = Expand(row.value, all);
        entries.push_back(std::move(entry));
    };
    for (const RegistryRow& row : kRegistryRows) {
        if (row.part != RowPart::kInterface) {
            add(row, {});
            continue;
        }
        for (const Tokens& one : interfaces) add(row, one);
    }
    return entries;
}

bool KeyExists(const std::wstring& key, HKEY root = HKEY_CLASSES_ROOT, REGSAM view = 0) {
    win32::UniqueKey opened;
    return ::RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | view, opened.put()) == ERROR_SUCCESS;
}


// Whether the build of the other bitness has its class registered in the same scope, in its
// own view. The class keys are the ones Windows keeps apart for 32-bit and 64-bit programs; on
// a 32-bit system there is one view, and this build's keys are gone by the time this is asked.
// Asked of the scope's own root: a view flag takes Wine past what HKEY_CLASSES_ROOT stands for.
bool OtherBuildRegistered(Scope scope) {
    const HKEY root = scope == Scope::kUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    return KeyExists(L"Software\\Classes\\CLSID\\" + GuidText(CLSID_Selvane) + L"\\InprocServer32", root, kOtherView);
}

// For a user's registration, HKEY_CLASSES_ROOT stands for HKEY_CURRENT_USER\Software\Classes in
// this process while the registration runs.
class ClassesRoot {
public:
    explicit ClassesRoot(Scope scope) {
        if (scope == Scope::kMachine) return;
        status_ = ::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    KEY_ALL_ACCESS, nullptr, user_classes_.put(), nullptr);
        if (status_ != ERROR_SUCCESS) {
            Traced(HRESULT_FROM_WIN32(status_), u"RegCreateKeyExW Software\\Classes of the current user");
            return;
        }
        status_ = ::RegOverridePredefKey(HKEY_CLASSES_ROOT, user_classes_.get());
        overridden_ = SUCCEEDED(Traced(HRESULT_FROM_WIN32(status_), u"RegOverridePredefKey"));
    }
    ~ClassesRoot() {
        if (!overridden_) return;
        Traced(HRESULT_FROM_WIN32(::RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr)), u"RegOverridePredefKey back");
    }
    ClassesRoot(const ClassesRoot&) = delete;
    ClassesRoot& operator=(const ClassesRoot&) = delete;

    HRESULT status() const { return HRESULT_FROM_WIN32(status_); }

private:
    win32::UniqueKey user_classes_;
    LONG status_ = ERROR_SUCCESS;
    bool overridden_ = false;
};

// An earlier version's registration of the type library from this very file: its path for
// this bitness goes, and the version's key with it once no bitness's path is left under it. A
// version registered from another file stays, for whoever installed it there.
void RemoveEarlierVersions(const std::wstring& path) {
    const std::wstring library = L"TypeLib\\" + GuidText(LIBID_Selvane_OCX);
    std::vector<std::wstring> versions;
    {
        win32::UniqueKey opened;
        if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, library.c_str(), 0, KEY_READ, opened.put()) != ERROR_SUCCESS) return;
        wchar_t name[256];
        for (DWORD i = 0, size = 256; ::RegEnumKeyExW(opened.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) ==
                                      ERROR_SUCCESS;
             ++i, size = 256) {
            versions.emplace_back(name, size);
        }
    }
    const std::wstring own = std::to_wstring(kLibraryMajor) + L"." + std::to_wstring(kLibraryMinor);
    for (const std::wstring& version : versions) {
        if (version == own) continue;
        const std::wstring locale = library + L"\\" + version + L"\\" + LocaleKey();
        wchar_t registered[MAX_PATH * 4] = {};
        DWORD bytes = sizeof(registered) - sizeof(wchar_t);
        if (::RegGetValueW(HKEY_CLASSES_ROOT, (locale + L"\\" + kOwnPlatform).c_str(), nullptr, RRF_RT_REG_SZ, nullptr,
                           registered, &bytes) != ERROR_SUCCESS ||
            ::lstrcmpiW(registered, path.c_str()) != 0) {
            continue;
        }
        RemoveTree(locale + L"\\" + kOwnPlatform);
        if (!KeyExists(locale + L"\\win32") && !KeyExists(locale + L"\\win64")) RemoveTree(library + L"\\" + version);
    }
}

// WriteEntry traces the codes of the calls that failed. The class's own tree
// (this bitness's view) is written afresh, so that nothing of an earlier version's registration
// stays in it; the ProgIDs, which both bitnesses share, are only written over.
HRESULT RegisterInRoot() {
    if (FAILED(RemoveTree(L"CLSID\\" + GuidText(CLSID_Selvane)))) return SELFREG_E_CLASS;
    const std::wstring path = ModulePath();
    ComPtr<ITypeLib> library;
    if (FAILED(Traced(::LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.put()), u"LoadTypeLibEx"))) {
        return SELFREG_E_TYPELIB;
    }
    const std::vector<Entry> entries = Entries(library.get(), path);
    if (entries.empty()) return SELFREG_E_TYPELIB;
    RemoveEarlierVersions(path);
    for (const Entry& entry : entries) {
        if (FAILED(WriteEntry(entry))) return SELFREG_E_CLASS;
    }
    return S_OK;
}

// The other build keeps the library's version key and its own platform's path. The locale "0"
// is the form an earlier version's registration through the system may have left.
HRESULT UnregisterLibrary(bool other_build) {
    if (other_build) {
        const HRESULT own = RemoveTree(LibraryKey() + L"\\" + LocaleKey() + L"\\" + kOwnPlatform);
        const HRESULT neutral = RemoveTree(LibraryKey() + L"\\0\\" + kOwnPlatform);
        return FAILED(own) ? own : neutral;
    }
    HRESULT result = RemoveTree(L"TypeLib\\" + GuidText(LIBID_Selvane_OCX));
    for (REFGUID iid : {IID__Selvane, IID__Selvane2, DIID___Selvane}) {
        if (FAILED(RemoveTree(L"Interface\\" + GuidText(iid)))) result = E_FAIL;
    }
    return result;
}

// Deletes a key that holds neither keys nor values: the containers a user's registration made.
void RemoveIfEmpty(HKEY root, const wchar_t* key) {
    DWORD keys = 0;
    DWORD values = 0;
    {
        win32::UniqueKey opened;
        if (::RegOpenKeyExW(root, key, 0, KEY_READ, opened.put()) != ERROR_SUCCESS) return;
        const LONG status = ::RegQueryInfoKeyW(opened.get(), nullptr, nullptr, nullptr, &keys, nullptr, nullptr, &values,
                                              nullptr, nullptr, nullptr, nullptr);
        if (FAILED(Traced(HRESULT_FROM_WIN32(status), Naming(u"RegQueryInfoKeyW", key)))) return;
    }
    if (keys == 0 && values == 0) Traced(HRESULT_FROM_WIN32(::RegDeleteKeyW(root, key)), Naming(u"RegDeleteKeyW", key));
}

HRESULT UnregisterInRoot(Scope scope) {
    HRESULT result = S_OK;
    const std::wstring clsid = L"CLSID\\" + GuidText(CLSID_Selvane);
    if (FAILED(RemoveTree(clsid))) result = SELFREG_E_CLASS;
    // The ProgIDs are kept in one place for both bitnesses.
    const bool other_build = OtherBuildRegistered(scope);
    if (!other_build) {
        for (const std::wstring& tree : OwnTrees()) {
            if (tree != clsid && FAILED(RemoveTree(tree))) result = SELFREG_E_CLASS;
        }
    }
    if (FAILED(UnregisterLibrary(other_build)) && result == S_OK) result = SELFREG_E_TYPELIB;
    if (scope == Scope::kUser) {
        for (const wchar_t* container : {L"CLSID", L"Interface", L"TypeLib"}) RemoveIfEmpty(HKEY_CLASSES_ROOT, container);
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
        // What was written is taken back; its own failures are traced where they happen.
        if (FAILED(result)) UnregisterInRoot(scope);
        return Traced(result, u"registering");
    } catch (...) {
        return Traced(CaughtFailure(), u"registering");
    }
}

HRESULT UnregisterServer(Scope scope) noexcept {
    try {
        HRESULT result = S_OK;
        {
            const ClassesRoot root(scope);
            if (FAILED(root.status())) return root.status();
            result = UnregisterInRoot(scope);
        }
        if (scope == Scope::kUser) RemoveIfEmpty(HKEY_CURRENT_USER, L"Software\\Classes");
        return Traced(result, u"unregistering");
    } catch (...) {
        return Traced(CaughtFailure(), u"unregistering");
    }
}

}  // namespace selvane::com
