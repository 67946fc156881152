// selvane.ocx as a host finds it: the type library embedded in it, its resources, its
// registration, and its exports.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "control/com/event_ids.h"
#include "control/members.h"
#include "tests/windows/com_support.h"

namespace selvane::testing {
namespace {

std::wstring GuidText(REFGUID guid) {
    wchar_t text[40] = {};
    ::StringFromGUID2(guid, text, 40);
    return text;
}

// A key's default value under HKEY_CLASSES_ROOT, or "<missing>".
std::wstring ClassesValue(const std::wstring& key, const wchar_t* name = nullptr) {
    wchar_t value[1024] = {};
    DWORD size = sizeof(value);
    if (::RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) {
        return L"<missing>";
    }
    return value;
}

bool ClassesKeyExists(const std::wstring& key) {
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    ::RegCloseKey(opened);
    return true;
}

// Where the registry says the control's library is: all a host knows.
std::wstring RegisteredPath() { return ClassesValue(L"CLSID\\" + GuidText(CLSID_Selvane) + L"\\InprocServer32"); }

// The names GetNames gives for a member, at most that many: its own, then its arguments'.
std::vector<std::wstring> NamesOf(ITypeInfo& info, MEMBERID id, UINT most) {
    std::vector<BSTR> names(most);
    UINT count = 0;
    info.GetNames(id, names.data(), most, &count);
    std::vector<std::wstring> texts;
    for (UINT n = 0; n < count; ++n) texts.push_back(Take(names[n]));
    return texts;
}

struct Member {
    const wchar_t* name;
    MEMBERID id;
    INVOKEKIND kind;
    const wchar_t* help;
};

constexpr wchar_t kDirOnlyHelp[] =
    L"Determines whether a file name is to be included when GetPath method is invoked. If set to True only "
    L"directory will be returned. If set to False then directory and file name will be returned.";
constexpr wchar_t kServerHelp[] =
    L"Determines if the GetPath method returns the path with drive letter or server and volume name. If set to "
    L"False the drive letter is returned.";
constexpr wchar_t kShowHiddenHelp[] =
    L"Determines if hidden files are displayed  in file list box. If set to True then hidden files will be "
    L"displayed.";

// The published members of _Selvane, in interface order.
const Member kMembers[] = {
    {L"GetPath", 0x60030013, INVOKE_FUNC,
     L"Method to return the current directory and file name. Check the DirOnly property to see how it affects "
     L"GetPath."},
    {L"FileSelected", 0x60030014, INVOKE_FUNC,
     L"Method that returns True or False indicating whether a file was selected."},
    {L"PathOnly", 0x60030015, INVOKE_FUNC, L"Method to extract directory from a file path."},
    {L"FileExists", 0x60030016, INVOKE_FUNC, L"Method to determine if the passed file exists."},
    {L"DirExists", 0x60030017, INVOKE_FUNC, L"Method to determine if the passed directory exists."},
    {L"RefreshFiles", 0x60030018, INVOKE_FUNC, L"Method to refresh file list box in control."},
    {L"BackColor", 0x6803000A, INVOKE_PROPERTYGET, L"Returns/sets the background color."},
    {L"BackColor", 0x6803000A, INVOKE_PROPERTYPUT, L"Returns/sets the background color."},
    {L"Path", 0x68030009, INVOKE_PROPERTYGET, L"Returns/sets current directory."},
    {L"Path", 0x68030009, INVOKE_PROPERTYPUT, L"Returns/sets current directory."},
    {L"Label1Color", 0x68030008, INVOKE_PROPERTYGET, L"Returns/sets foreground color of files label."},
    {L"Label1Color", 0x68030008, INVOKE_PROPERTYPUT, L"Returns/sets foreground color of files label."},
    {L"Label2Color", 0x68030007, INVOKE_PROPERTYGET, L"Returns/sets foreground color of file info label."},
    {L"Label2Color", 0x68030007, INVOKE_PROPERTYPUT, L"Returns/sets foreground color of file info label."},
    {L"Label1Bold", 0x68030006, INVOKE_PROPERTYGET, L"Returns/sets bold font of files label."},
    {L"Label1Bold", 0x68030006, INVOKE_PROPERTYPUT, L"Returns/sets bold font of files label."},
    {L"Label2Bold", 0x68030005, INVOKE_PROPERTYGET, L"Returns/sets bold font of file info label."},
    {L"Label2Bold", 0x68030005, INVOKE_PROPERTYPUT, L"Returns/sets bold font of file info label."},
    {L"DirOnly", 0x68030004, INVOKE_PROPERTYGET, kDirOnlyHelp},
    {L"DirOnly", 0x68030004, INVOKE_PROPERTYPUT, kDirOnlyHelp},
    {L"Server", 0x68030003, INVOKE_PROPERTYGET, kServerHelp},
    {L"Server", 0x68030003, INVOKE_PROPERTYPUT, kServerHelp},
    {L"Tips", 0x68030002, INVOKE_PROPERTYGET,
     L"Returns/sets value which determines whether control tool tips will be displayed."},
    {L"Tips", 0x68030002, INVOKE_PROPERTYPUT,
     L"Returns/sets value which determines whether control tool tips will be displayed."},
    {L"FileType", 0x68030001, INVOKE_PROPERTYGET, L"Returns/sets file type."},
    {L"FileType", 0x68030001, INVOKE_PROPERTYPUT, L"Returns/sets file type."},
    {L"ShowHidden", 0x68030000, INVOKE_PROPERTYGET, kShowHiddenHelp},
    {L"ShowHidden", 0x68030000, INVOKE_PROPERTYPUT, kShowHiddenHelp},
    {L"AboutBox", 0x6003001D, INVOKE_FUNC, L"Information about the control."},
    {L"Refresh", 0x6003001E, INVOKE_FUNC, L"Refresh control."},
};

class LibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = RegisteredPath();
        ASSERT_NE(path, L"<missing>") << "selvane.ocx is not registered";
        ASSERT_EQ(::LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.put()), S_OK);
    }

    ComPtr<ITypeInfo> TypeInfo(UINT index) {
        ComPtr<ITypeInfo> info;
        library->GetTypeInfo(index, info.put());
        return info;
    }

    // The dual interface _Selvane as its vtable describes it; null when the library lacks it.
    ComPtr<ITypeInfo> VtableSide() {
        const ComPtr<ITypeInfo> dispatch = TypeInfo(0);
        HREFTYPE vtable_side = 0;
        ComPtr<ITypeInfo> info;
        if (dispatch && SUCCEEDED(dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtable_side))) {
            dispatch->GetRefTypeInfo(vtable_side, info.put());
        }
        return info;
    }

    std::wstring path;
    ComPtr<ITypeLib> library;
};

using TypeAttr = win32::TypeAttributes;

TEST_F(LibraryTest, TheLibraryHoldsItsFourTypesInOrder) {
    const win32::LibraryAttributes attr(library.get());
    ASSERT_TRUE(attr);
    EXPECT_TRUE(::IsEqualGUID(attr->guid, LIBID_Selvane_OCX));
    EXPECT_EQ(attr->lcid, 0x0409u);
    EXPECT_EQ(attr->syskind, kOwnSysKind);
    EXPECT_EQ(attr->wMajorVerNum, 4);
    EXPECT_EQ(attr->wMinorVerNum, 1);
    EXPECT_TRUE(attr->wLibFlags & LIBFLAG_FCONTROL);

    BSTR name = nullptr;
    BSTR help = nullptr;
    BSTR help_file = nullptr;
    ASSERT_EQ(library->GetDocumentation(-1, &name, &help, nullptr, &help_file), S_OK);
    EXPECT_EQ(Take(name), L"Selvane_OCX");
    EXPECT_EQ(Take(help), L"Selvane_OCX");
    EXPECT_EQ(Take(help_file), L"");

    ASSERT_EQ(library->GetTypeInfoCount(), 4u);
    const wchar_t* names[] = {L"_Selvane", L"_Selvane2", L"Selvane", L"__Selvane"};
    const GUID* guids[] = {&IID__Selvane, &IID__Selvane2, &CLSID_Selvane, &DIID___Selvane};
    const TYPEKIND kinds[] = {TKIND_DISPATCH, TKIND_DISPATCH, TKIND_COCLASS, TKIND_DISPATCH};
    constexpr WORD kDual = TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FDISPATCHABLE;
    const WORD flags[] = {kDual, kDual, TYPEFLAG_FCONTROL, TYPEFLAG_FHIDDEN | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FDISPATCHABLE};
    for (UINT i = 0; i < 4; ++i) {
        SCOPED_TRACE(names[i]);
        BSTR type_help = nullptr;
        DWORD context = 1;
        ASSERT_EQ(library->GetDocumentation(static_cast<INT>(i), &name, &type_help, &context, nullptr), S_OK);
        EXPECT_EQ(Take(name), names[i]);
        EXPECT_EQ(Take(type_help), L"") << "no type carries a help string";
        EXPECT_EQ(context, 0u);
        auto info = TypeInfo(i);
        TypeAttr type(info.get());
        EXPECT_TRUE(::IsEqualGUID(type->guid, *guids[i]));
        EXPECT_EQ(type->typekind, kinds[i]);
        EXPECT_EQ(type->wTypeFlags & flags[i], flags[i]);
        EXPECT_EQ(type->wTypeFlags & TYPEFLAG_FCANCREATE, 0) << "the class can't be created from the library";
        EXPECT_EQ(type->wMajorVerNum, 1);
        EXPECT_EQ(type->wMinorVerNum, 0);
    }
}

TEST_F(LibraryTest, TheDualInterfaceListsTheMembersInOrderWithTheirIdsAndHelp) {
    const ComPtr<ITypeInfo> info = VtableSide();
    ASSERT_TRUE(info);
    TypeAttr type(info.get());
    EXPECT_EQ(type->typekind, TKIND_INTERFACE);
    EXPECT_TRUE(type->wTypeFlags & TYPEFLAG_FOLEAUTOMATION);
    ASSERT_EQ(type->cFuncs, 30);

    SHORT last_slot = 0;
    for (UINT i = 0; i < 30; ++i) {
        const Member& member = kMembers[i];
        SCOPED_TRACE(std::wstring(member.name) + L" #" + std::to_wstring(i + 1));
        const win32::FunctionDescription function(info.get(), i);
        ASSERT_TRUE(function);
        EXPECT_EQ(function->memid, member.id);
        EXPECT_EQ(function->invkind, member.kind);
        EXPECT_GT(function->oVft, last_slot) << "vtable order";
        last_slot = function->oVft;
        EXPECT_EQ(function->elemdescFunc.tdesc.vt, VT_HRESULT);
        EXPECT_EQ(function->wFuncFlags & (FUNCFLAG_FHIDDEN | FUNCFLAG_FRESTRICTED), 0);
        // By its dispid a property answers with its get: the names of the puts' values can't
        // be asked for this way, only the results' and the methods' arguments'.
        const std::vector<std::wstring> names = NamesOf(*info.get(), member.id, 3);
        EXPECT_EQ(names.empty() ? L"" : names[0], member.name);
        if (member.kind != INVOKE_PROPERTYPUT) {
            const bool takes_str = member.kind == INVOKE_FUNC && function->cParams == 2;
            EXPECT_EQ(names.size(), takes_str ? 2u : 1u) << "only a method's argument has a name; results have none";
        }
        if (member.kind == INVOKE_FUNC && function->cParams == 2) {
            const std::vector<std::wstring> argument = NamesOf(*info.get(), member.id, 2);
            EXPECT_EQ(argument.size() == 2 ? argument[1] : L"", L"str");
        }
        BSTR help = nullptr;
        info->GetDocumentation(member.id, nullptr, &help, nullptr, nullptr);
        EXPECT_EQ(Take(help), member.help);
    }

    // The colours are stdole's OLE_COLOR, not a plain integer.
    const win32::FunctionDescription get_back_color(info.get(), 6);
    ASSERT_TRUE(get_back_color);
    const TYPEDESC& pointer = get_back_color->lprgelemdescParam[0].tdesc;
    ASSERT_EQ(pointer.vt, VT_PTR);
    ASSERT_EQ(pointer.lptdesc->vt, VT_USERDEFINED);
    ComPtr<ITypeInfo> color;
    ASSERT_EQ(info->GetRefTypeInfo(pointer.lptdesc->hreftype, color.put()), S_OK);
    BSTR color_name = nullptr;
    color->GetDocumentation(MEMBERID_NIL, &color_name, nullptr, nullptr, nullptr);
    EXPECT_EQ(Take(color_name), L"OLE_COLOR");
    ComPtr<ITypeLib> stdole;
    UINT index = 0;
    ASSERT_EQ(color->GetContainingTypeLib(stdole.put(), &index), S_OK);
    const win32::LibraryAttributes stdole_attr(stdole.get());
    ASSERT_TRUE(stdole_attr);
    EXPECT_EQ(GuidText(stdole_attr->guid), L"{00020430-0000-0000-C000-000000000046}");
}

// The kind of value a property's get returns, by its type in the library.
host::ValueKind KindOfResult(ITypeInfo& info, const FUNCDESC& get) {
    const TYPEDESC& pointer = get.lprgelemdescParam[0].tdesc;
    if (pointer.vt != VT_PTR) return static_cast<host::ValueKind>(-1);
    if (pointer.lptdesc->vt == VT_BOOL) return host::ValueKind::kTruth;
    if (pointer.lptdesc->vt == VT_BSTR) return host::ValueKind::kText;
    if (pointer.lptdesc->vt == VT_I4) return host::ValueKind::kNumber;
    ComPtr<ITypeInfo> alias;
    BSTR name = nullptr;
    if (pointer.lptdesc->vt == VT_USERDEFINED && SUCCEEDED(info.GetRefTypeInfo(pointer.lptdesc->hreftype, alias.put())) &&
        SUCCEEDED(alias->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr)) &&
        Take(name) == L"OLE_COLOR") {
        return host::ValueKind::kColor;
    }
    return static_cast<host::ValueKind>(-1);
}

// The logic's member table and the library describe the same properties: the same names,
// identifiers and kinds, each with a get and a put, and none missing from either.
TEST_F(LibraryTest, TheMemberTableAgreesWithTheLibrary) {
    const ComPtr<ITypeInfo> info = VtableSide();
    ASSERT_TRUE(info);
    TypeAttr type(info.get());

    struct Described {
        MEMBERID id = 0;
        host::ValueKind kind{};
        bool put = false;
    };
    std::map<std::wstring, Described> library_properties;
    for (UINT i = 0; i < type->cFuncs; ++i) {
        const win32::FunctionDescription function(info.get(), i);
        ASSERT_TRUE(function);
        BSTR name = nullptr;
        UINT count = 0;
        info->GetNames(function->memid, &name, 1, &count);
        Described& described = library_properties[Take(name)];
        if (function->invkind == INVOKE_PROPERTYGET) {
            described.id = function->memid;
            described.kind = KindOfResult(*info.get(), *function.get());
        } else if (function->invkind == INVOKE_PROPERTYPUT) {
            described.put = true;
        }
    }
    // Methods have neither a get nor a put.
    for (auto it = library_properties.begin(); it != library_properties.end();) {
        it = it->second.id == 0 ? library_properties.erase(it) : std::next(it);
    }

    ASSERT_EQ(library_properties.size(), std::size(members::kProperties));
    for (const host::Property& property : members::kProperties) {
        const std::wstring name(property.name.begin(), property.name.end());
        SCOPED_TRACE(name);
        const auto found = library_properties.find(name);
        ASSERT_NE(found, library_properties.end()) << "not a property of the library";
        EXPECT_EQ(found->second.id, property.dispatch_id);
        EXPECT_EQ(found->second.kind, property.kind);
        EXPECT_TRUE(found->second.put);
    }
}

TEST_F(LibraryTest, NamesResolveToThePublishedIdsAndNothingElseDoes) {
    ComPtr<ITypeInfo> dispatch = TypeInfo(0);
    for (const Member& member : kMembers) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(member.name)};
        MEMBERID id = 0;
        EXPECT_EQ(dispatch->GetIDsOfNames(names, 1, &id), S_OK) << member.name;
        EXPECT_EQ(id, member.id) << member.name;
    }
    LPOLESTR unknown[] = {const_cast<LPOLESTR>(L"Filename")};
    MEMBERID id = 0;
    EXPECT_EQ(dispatch->GetIDsOfNames(unknown, 1, &id), DISP_E_UNKNOWNNAME);

    ComPtr<ITypeInfo> events = TypeInfo(3);
    const std::pair<const wchar_t*, MEMBERID> kEvents[] = {{L"Click", com::kClickEvent}, {L"DblClick", com::kDblClickEvent}};
    for (const auto& [name, expected] : kEvents) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        EXPECT_EQ(events->GetIDsOfNames(names, 1, &id), S_OK) << name;
        EXPECT_EQ(id, expected) << name;
    }

    ComPtr<ITypeInfo> coclass = TypeInfo(2);
    const std::pair<const GUID*, int> kImplemented[] = {
        {&IID__Selvane2, IMPLTYPEFLAG_FDEFAULT}, {&DIID___Selvane, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE}};
    for (UINT i = 0; i < 2; ++i) {
        INT flags = 0;
        HREFTYPE reference = 0;
        ComPtr<ITypeInfo> implemented;
        ASSERT_EQ(coclass->GetImplTypeFlags(i, &flags), S_OK);
        EXPECT_EQ(flags, kImplemented[i].second);
        coclass->GetRefTypeOfImplType(i, &reference);
        ASSERT_EQ(coclass->GetRefTypeInfo(reference, implemented.put()), S_OK);
        TypeAttr type(implemented.get());
        EXPECT_TRUE(::IsEqualGUID(type->guid, *kImplemented[i].first));
    }
}

// _Selvane2 derives from _Selvane, whose vtable it extends with the members of 4.1 under ids of
// their own (the scripts' tests reach every older member through its dispatch side); the member
// table's added properties are its properties.
TEST_F(LibraryTest, TheSecondInterfaceExtendsThePublishedOne) {
    const ComPtr<ITypeInfo> dispatch = TypeInfo(1);
    HREFTYPE reference = 0;
    ComPtr<ITypeInfo> info;
    ComPtr<ITypeInfo> base;
    ASSERT_EQ(dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &reference), S_OK);
    ASSERT_EQ(dispatch->GetRefTypeInfo(reference, info.put()), S_OK);
    ASSERT_EQ(info->GetRefTypeOfImplType(0, &reference), S_OK);
    ASSERT_EQ(info->GetRefTypeInfo(reference, base.put()), S_OK);
    EXPECT_TRUE(::IsEqualGUID(TypeAttr(base.get())->guid, IID__Selvane));
    TypeAttr type(info.get());
    EXPECT_EQ(type->typekind, TKIND_INTERFACE);
    const Member kAdded[] = {{L"MultiSelect", 0x68040000, INVOKE_PROPERTYGET, nullptr},
                             {L"MultiSelect", 0x68040000, INVOKE_PROPERTYPUT, nullptr},
                             {L"SortOrder", 0x68040001, INVOKE_PROPERTYGET, nullptr},
                             {L"SortOrder", 0x68040001, INVOKE_PROPERTYPUT, nullptr},
                             {L"SelectedCount", 0x68040002, INVOKE_PROPERTYGET, nullptr},
                             {L"SelectedFiles", 0x68040003, INVOKE_PROPERTYGET, nullptr}};
    ASSERT_EQ(type->cFuncs, std::size(kAdded));
    for (UINT i = 0; i < std::size(kAdded); ++i) {
        const win32::FunctionDescription function(info.get(), i);
        ASSERT_TRUE(function);
        BSTR name = nullptr;
        UINT count = 0;
        info->GetNames(function->memid, &name, 1, &count);
        EXPECT_EQ(Take(name), kAdded[i].name);
        EXPECT_EQ(function->memid, kAdded[i].id) << kAdded[i].name;
        EXPECT_EQ(function->invkind, kAdded[i].kind) << kAdded[i].name;
        EXPECT_EQ(function->oVft, static_cast<SHORT>((7 + std::size(kMembers) + i) * sizeof(void*))) << "after _Selvane's";
        if (function->invkind == INVOKE_PROPERTYGET && i < 4) {
            const host::Property* property = members::Find(function->memid);
            ASSERT_NE(property, nullptr) << kAdded[i].name;
            EXPECT_EQ(KindOfResult(*info.get(), *function.get()), property->kind);
        }
    }
    EXPECT_EQ(std::size(members::kAllProperties), std::size(members::kProperties) + 2);
}

TEST_F(LibraryTest, ResourcesCarryTheVersionTheBitmapAndTheInterfaceIds) {
    win32::UniqueModule loaded(::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(loaded);
    const HMODULE module = loaded.get();
    const std::pair<const wchar_t*, const GUID*> kIds[] = {{L"_IID_SELVANE", &IID__Selvane},
                                                           {L"_SRCIID_SELVANE", &DIID___Selvane}};
    for (const auto& [type, guid] : kIds) {
        HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(1), type);
        ASSERT_NE(found, nullptr) << type;
        ASSERT_EQ(::SizeofResource(module, found), 20u) << type;
        const auto* data = static_cast<const BYTE*>(::LockResource(::LoadResource(module, found)));
        EXPECT_EQ(*reinterpret_cast<const DWORD*>(data), 16u) << type;
        EXPECT_TRUE(::IsEqualGUID(*reinterpret_cast<const GUID*>(data + 4), *guid)) << type;
    }
    HRSRC bitmap = ::FindResourceW(module, MAKEINTRESOURCEW(30000), MAKEINTRESOURCEW(2) /* RT_BITMAP */);
    ASSERT_NE(bitmap, nullptr);
    const auto* header = static_cast<const BITMAPINFOHEADER*>(::LockResource(::LoadResource(module, bitmap)));
    EXPECT_EQ(header->biWidth, 16);
    EXPECT_EQ(header->biHeight, 15);
    EXPECT_EQ(header->biBitCount, 24);
    loaded.reset();

    DWORD ignored = 0;
    std::vector<BYTE> version(::GetFileVersionInfoSizeW(path.c_str(), &ignored));
    ASSERT_FALSE(version.empty());
    ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(version.size()), version.data()));
    const std::pair<const wchar_t*, const wchar_t*> kStrings[] = {
        {L"FileVersion", L"1.02"},        {L"ProductVersion", L"1.02"}, {L"InternalName", L"selvane"},
        {L"OriginalFilename", L"selvane.ocx"}, {L"ProductName", L"Selvane"}, {L"OLESelfRegister", L""}};
    for (const auto& [name, expected] : kStrings) {
        const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
        wchar_t* value = nullptr;
        UINT length = 0;
        ASSERT_TRUE(::VerQueryValueW(version.data(), query.c_str(), reinterpret_cast<void**>(&value), &length)) << name;
        EXPECT_EQ(std::wstring(value, wcsnlen(value, length)), expected) << name;
    }
}

// Every value under HKEY_CLASSES_ROOT, by path.
using Registry = std::map<std::wstring, std::wstring>;

void Snapshot(HKEY key, const std::wstring& path, Registry& out) {
    out[path] = L"";
    wchar_t name[512];
    BYTE data[4096];
    for (DWORD i = 0;; ++i) {
        DWORD name_length = 512;
        DWORD size = sizeof(data);
        DWORD type = 0;
        if (::RegEnumValueW(key, i, name, &name_length, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
        out[path + L"|" + name] = std::to_wstring(type) + L":" + std::wstring(reinterpret_cast<wchar_t*>(data), size / 2);
    }
    for (DWORD i = 0;; ++i) {
        DWORD name_length = 512;
        if (::RegEnumKeyExW(key, i, name, &name_length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        HKEY child = nullptr;
        if (::RegOpenKeyExW(key, name, 0, KEY_READ, &child) != ERROR_SUCCESS) continue;
        const win32::UniqueKey owned(child);
        Snapshot(child, path + L"\\" + name, out);
    }
}

Registry Snapshot(HKEY root = HKEY_CLASSES_ROOT, const wchar_t* key = L"") {
    Registry registry;
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return registry;
    const win32::UniqueKey owned(opened);
    Snapshot(opened, L"", registry);
    return registry;
}

// The first few paths of a difference, for a failure's message.
std::string Listed(const std::vector<std::wstring>& paths) {
    std::string text;
    for (std::size_t i = 0; i < paths.size() && i < 8; ++i) text += "\n  " + std::string(paths[i].begin(), paths[i].end());
    return text;
}

// A key's default value under root, or "<missing>".
std::wstring Value(HKEY root, const std::wstring& key) {
    wchar_t value[1024] = {};
    DWORD size = sizeof(value);
    if (::RegGetValueW(root, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) {
        return L"<missing>";
    }
    return value;
}

// Runs a command line of this prefix, as a user at a prompt would, and gives its exit code.
DWORD RunCommand(std::wstring command_line) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process)) {
        return ::GetLastError();
    }
    const win32::UniqueKernelHandle thread(process.hThread);
    const win32::UniqueKernelHandle running(process.hProcess);
    ::WaitForSingleObject(running.get(), INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(running.get(), &code);
    return code;
}

std::vector<std::wstring> Difference(const Registry& a, const Registry& b) {
    std::vector<std::wstring> different;
    for (const auto& [path, value] : a) {
        auto other = b.find(path);
        if (other == b.end() || other->second != value) different.push_back(path);
    }
    for (const auto& [path, value] : b) {
        if (a.find(path) == a.end()) different.push_back(path);
    }
    return different;
}

TEST_F(LibraryTest, RegistrationWritesTheClassAndUnregistrationTakesBackExactlyThat) {
    const std::wstring clsid = L"CLSID\\" + GuidText(CLSID_Selvane);
    EXPECT_EQ(ClassesValue(clsid + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
    EXPECT_EQ(ClassesValue(clsid + L"\\MiscStatus\\1"), L"131473");
    EXPECT_TRUE(ClassesKeyExists(clsid + L"\\Control"));
    EXPECT_TRUE(ClassesKeyExists(clsid + L"\\Implemented Categories\\{40FC6ED4-2438-11CF-A3DB-080036F12502}"));
    EXPECT_EQ(ClassesValue(clsid + L"\\ToolboxBitmap32"), path + L", 30000");
    EXPECT_EQ(ClassesValue(clsid + L"\\TypeLib"), GuidText(LIBID_Selvane_OCX));
    EXPECT_EQ(ClassesValue(L"Selvane_OCX.Selvane\\CLSID"), GuidText(CLSID_Selvane));
    EXPECT_EQ(ClassesValue(L"Selvane_OCX.Selvane.1\\CLSID"), GuidText(CLSID_Selvane));
    EXPECT_EQ(ClassesValue(clsid + L"\\VersionIndependentProgID"), L"Selvane_OCX.Selvane");
    EXPECT_NE(ClassesValue(L"TypeLib\\" + GuidText(LIBID_Selvane_OCX) + L"\\4.1\\409\\" + kOwnPlatform), L"<missing>");
    EXPECT_NE(ClassesValue(L"Interface\\" + GuidText(IID__Selvane)), L"<missing>");
    // Neither safe for scripting nor for initialisation from untrusted data.
    for (const wchar_t* unsafe : {L"{7DD95801-9882-11CF-9FA9-00AA006C42C4}", L"{7DD95802-9882-11CF-9FA9-00AA006C42C4}"}) {
        EXPECT_EQ(ClassesValue(clsid + L"\\Implemented Categories\\" + unsafe), L"<missing>");
    }

    const win32::UniqueModule loaded(::LoadLibraryW(path.c_str()));
    ASSERT_TRUE(loaded);
    using Entry = HRESULT(STDAPICALLTYPE*)();
    auto do_register = Export<Entry>(loaded.get(), "DllRegisterServer");
    auto do_unregister = Export<Entry>(loaded.get(), "DllUnregisterServer");
    ASSERT_TRUE(do_register && do_unregister);

    const Registry registered = Snapshot();
    ASSERT_EQ(do_unregister(), S_OK);
    const Registry unregistered = Snapshot();
    for (const std::wstring& path_left : {clsid, std::wstring(L"Selvane_OCX.Selvane"), std::wstring(L"Selvane_OCX.Selvane.1"),
                                          L"TypeLib\\" + GuidText(LIBID_Selvane_OCX), L"Interface\\" + GuidText(IID__Selvane),
                                          L"Interface\\" + GuidText(DIID___Selvane)}) {
        EXPECT_EQ(unregistered.count(L"\\" + path_left), 0u) << "left behind: " << std::string(path_left.begin(), path_left.end());
    }
    EXPECT_EQ(do_unregister(), S_OK) << "removing what is already gone is no failure";
    ASSERT_EQ(do_register(), S_OK);
    EXPECT_TRUE(Difference(Snapshot(), registered).empty());
    ASSERT_EQ(do_unregister(), S_OK);
    EXPECT_TRUE(Difference(Snapshot(), unregistered).empty());
    // What an earlier version wrote into the class's key goes when this one registers over it.
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CLASSES_ROOT, (clsid + L"\\Control").c_str(), nullptr, REG_SZ, L"", sizeof(wchar_t)),
              ERROR_SUCCESS);
    ASSERT_EQ(do_register(), S_OK);
    EXPECT_EQ(Listed(Difference(Snapshot(), registered)), "");
}

TEST_F(LibraryTest, TheFactoryMakesOnlyTheControlAndTheLibraryKnowsWhenItIsFree) {
    const win32::UniqueModule loaded(::LoadLibraryW(path.c_str()));
    ASSERT_TRUE(loaded);
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();
    auto get_class_object = Export<GetClassObject>(loaded.get(), "DllGetClassObject");
    auto can_unload = Export<CanUnloadNow>(loaded.get(), "DllCanUnloadNow");
    ASSERT_TRUE(get_class_object && can_unload);

    EXPECT_EQ(can_unload(), S_OK);
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(get_class_object(IID__Selvane, IID_IClassFactory, reinterpret_cast<void**>(factory.put())),
              CLASS_E_CLASSNOTAVAILABLE);
    ASSERT_EQ(get_class_object(CLSID_Selvane, IID_IClassFactory, reinterpret_cast<void**>(factory.put())), S_OK);
    EXPECT_EQ(can_unload(), S_FALSE) << "a factory is held";

    auto outer = Make<NotifySink>();
    ComPtr<IUnknown> control;
    EXPECT_EQ(factory->CreateInstance(outer.get(), IID_IUnknown, reinterpret_cast<void**>(control.put())),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, reinterpret_cast<void**>(control.put())),
              E_NOINTERFACE);
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(control.put())), S_OK);
    factory->LockServer(TRUE);
    factory.reset();
    EXPECT_EQ(can_unload(), S_FALSE) << "a control and a lock are alive";
    EXPECT_EQ(ReleaseLast(control), 0u);
    EXPECT_EQ(can_unload(), S_FALSE) << "the lock is alive";
    get_class_object(CLSID_Selvane, IID_IClassFactory, reinterpret_cast<void**>(factory.put()));
    factory->LockServer(FALSE);
    factory.reset();
    EXPECT_EQ(can_unload(), S_OK);
}

TEST_F(LibraryTest, RegistrationForOneUserWritesOnlyThatUsersClassesAndTakesThemBackExactly) {
    const std::wstring quoted = L"\"" + path + L"\"";
    // Without the machine's registration, so that only the user's can make the control.
    ASSERT_EQ(RunCommand(L"regsvr32 /s /u " + quoted), 0u);
    struct Restore {
        std::wstring quoted;
        ~Restore() { EXPECT_EQ(RunCommand(L"regsvr32 /s " + quoted), 0u) << "registering for the machine again"; }
    } restore{quoted};
    constexpr wchar_t kClasses[] = L"Software\\Classes";
    const Registry machine = Snapshot(HKEY_LOCAL_MACHINE, kClasses);
    const Registry user = Snapshot(HKEY_CURRENT_USER, kClasses);

    ASSERT_EQ(RunCommand(L"regsvr32 /s /n /i:user " + quoted), 0u);
    EXPECT_EQ(Listed(Difference(Snapshot(HKEY_LOCAL_MACHINE, kClasses), machine)), "") << "the machine's classes changed";
    const std::wstring classes = std::wstring(kClasses) + L"\\";
    const std::wstring clsid = classes + L"CLSID\\" + GuidText(CLSID_Selvane);
    EXPECT_EQ(Value(HKEY_CURRENT_USER, clsid + L"\\InprocServer32"), path);
    EXPECT_EQ(Value(HKEY_CURRENT_USER, classes + L"Selvane_OCX.Selvane\\CLSID"), GuidText(CLSID_Selvane));
    EXPECT_EQ(Value(HKEY_CURRENT_USER, classes + L"TypeLib\\" + GuidText(LIBID_Selvane_OCX) + L"\\4.1\\409\\" + kOwnPlatform),
              path);

    // What a program of this user sees: Windows merges the user's classes into
    // HKEY_CLASSES_ROOT. Wine 8's COM reads only the machine's, so there the control can't be
    // created, and the check says so rather than fail.
    CLSID by_name{};
    ComPtr<IUnknown> control;
    const HRESULT found = ::CLSIDFromProgID(L"Selvane_OCX.Selvane", &by_name);
    const HRESULT created =
        ::CoCreateInstance(CLSID_Selvane, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(control.put()));
    control.reset();
    if (UnderWine() && (FAILED(found) || FAILED(created))) {
        std::printf("note: Wine's COM does not read the user's classes (ProgID 0x%08lX, class 0x%08lX)\n",
                    static_cast<unsigned long>(found), static_cast<unsigned long>(created));
    } else {
        EXPECT_EQ(found, S_OK);
        EXPECT_TRUE(::IsEqualCLSID(by_name, CLSID_Selvane));
        EXPECT_EQ(created, S_OK);
    }

    ASSERT_EQ(RunCommand(L"regsvr32 /s /u /n /i:user " + quoted), 0u);
    EXPECT_EQ(Listed(Difference(Snapshot(HKEY_CURRENT_USER, kClasses), user)), "") << "the user's classes kept something";
    EXPECT_EQ(Listed(Difference(Snapshot(HKEY_LOCAL_MACHINE, kClasses), machine)), "");

    // Any other scope is refused, and writes nothing.
    win32::UniqueModule loaded(::LoadLibraryW(path.c_str()));
    ASSERT_TRUE(loaded);
    const auto install = Export<HRESULT(STDAPICALLTYPE*)(BOOL, LPCWSTR)>(loaded.get(), "DllInstall");
    ASSERT_NE(install, nullptr);
    EXPECT_EQ(install(TRUE, L"everyone"), E_INVALIDARG);
    loaded.reset();
    EXPECT_EQ(Listed(Difference(Snapshot(HKEY_CURRENT_USER, kClasses), user)), "");
}

// The lines the library writes to the debugger's output, caught on their way: OutputDebugString
// raises an exception that a vectored handler sees first.
class DebuggerOutput {
public:
    DebuggerOutput() : handler_(::AddVectoredExceptionHandler(1, &Catch)) { lines().clear(); }
    ~DebuggerOutput() { ::RemoveVectoredExceptionHandler(handler_); }
    DebuggerOutput(const DebuggerOutput&) = delete;
    DebuggerOutput& operator=(const DebuggerOutput&) = delete;

    // Whether a line caught holds both texts.
    static bool Holds(const std::string& first, const std::string& second) {
        for (const std::string& line : lines()) {
            if (line.find(first) != std::string::npos && line.find(second) != std::string::npos) return true;
        }
        return false;
    }
    static std::vector<std::string>& lines() {
        static std::vector<std::string> caught;
        return caught;
    }

private:
    static LONG CALLBACK Catch(EXCEPTION_POINTERS* pointers) {
        constexpr DWORD kPrint = 0x40010006;      // DBG_PRINTEXCEPTION_C
        constexpr DWORD kPrintWide = 0x4001000A;  // DBG_PRINTEXCEPTION_WIDE_C
        const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
        if (record.ExceptionCode == kPrint && record.NumberParameters >= 2) {
            lines().emplace_back(reinterpret_cast<const char*>(record.ExceptionInformation[1]));
        } else if (record.ExceptionCode == kPrintWide && record.NumberParameters >= 2) {
            const std::wstring wide(reinterpret_cast<const wchar_t*>(record.ExceptionInformation[1]));
            lines().emplace_back(wide.begin(), wide.end());
        }
        return EXCEPTION_CONTINUE_SEARCH;
    }
    void* handler_;
};

// A control made through the library's own factory, as COM makes it.
ComPtr<IUnknown> CreateFrom(HMODULE library, ComPtr<IClassFactory>& factory) {
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    const auto get_class_object = Export<GetClassObject>(library, "DllGetClassObject");
    ComPtr<IUnknown> control;
    if (get_class_object &&
        SUCCEEDED(get_class_object(CLSID_Selvane, IID_IClassFactory, reinterpret_cast<void**>(factory.put())))) {
        factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(control.put()));
    }
    return control;
}

// Whether the control's surface window class is registered for that module.
bool SurfaceClassOf(HMODULE module) {
    WNDCLASSEXW found{};
    found.cbSize = sizeof(found);
    return ::GetClassInfoExW(module, L"SelvaneSurface", &found) != FALSE;
}

// Unloaded, the library leaves no window class behind, whose procedure would be gone with it;
// loaded again, it makes controls as before. Asked to trace, it names every interface
// identifier it doesn't know, and every failure a container's sink answers it with.
TEST_F(LibraryTest, TheLibraryUnloadsWithItsWindowClassesAndLoadsAgainTracingWhatItCantAnswer) {
    ::CoFreeUnusedLibrariesEx(0, 0);
    ASSERT_EQ(::GetModuleHandleW(path.c_str()), nullptr) << "nothing else in this process holds the library";
    ASSERT_TRUE(::SetEnvironmentVariableW(L"SELVANE_TRACE", L"1"));
    const DebuggerOutput output;
    const GUID kUnknown = {0x5e1c0de5, 0x1234, 0x4321, {0x80, 0x00, 0x00, 0x11, 0x22, 0x33, 0x44, 0x55}};
    const std::string unknown = "{5E1C0DE5-1234-4321-8000-001122334455}";
    HMODULE first = nullptr;
    {
        const win32::UniqueModule loaded(::LoadLibraryW(path.c_str()));
        ASSERT_TRUE(loaded);
        first = loaded.get();
        ComPtr<IClassFactory> factory;
        ComPtr<IUnknown> control = CreateFrom(loaded.get(), factory);
        ASSERT_TRUE(control);
        EXPECT_TRUE(SurfaceClassOf(first));

        const auto container = As<IConnectionPointContainer>(control);
        ASSERT_TRUE(container);
        ComPtr<IConnectionPoint> point;
        ASSERT_EQ(container->FindConnectionPoint(IID_IPropertyNotifySink, point.put()), S_OK);
        ComPtr<IUnknown> queried;
        ComPtr<IConnectionPoint> no_point;
        const struct {
            const char* asked;
            HRESULT answer;
            HRESULT expected;
        } kAsked[] = {
            {"selvane_control.cpp", control->QueryInterface(kUnknown, reinterpret_cast<void**>(queried.put())),
             E_NOINTERFACE},
            {"class_factory.cpp", factory->QueryInterface(kUnknown, reinterpret_cast<void**>(queried.put())),
             E_NOINTERFACE},
            {"connection_points.cpp", point->QueryInterface(kUnknown, reinterpret_cast<void**>(queried.put())),
             E_NOINTERFACE},
            {"events.cpp", container->FindConnectionPoint(kUnknown, no_point.put()), CONNECT_E_NOCONNECTION},
        };
        for (const auto& asked : kAsked) {
            SCOPED_TRACE(asked.asked);
            EXPECT_EQ(asked.answer, asked.expected);
            EXPECT_TRUE(DebuggerOutput::Holds(std::string("selvane: warning at com/") + asked.asked, unknown));
        }

        const auto sink = Make<NotifySink>();
        sink->answer = E_FAIL;
        Connect(control, IID_IPropertyNotifySink, sink.get());
        const auto selvane = As<_Selvane>(control);
        ASSERT_TRUE(selvane);
        EXPECT_EQ(selvane->put_DirOnly(VARIANT_TRUE), S_OK) << "a sink's failure is the sink's";
        EXPECT_EQ(sink->changes.size(), 1u);
        EXPECT_TRUE(DebuggerOutput::Holds("OnChanged returned 0x80004005", "com/events.cpp"));
    }
    ASSERT_TRUE(::SetEnvironmentVariableW(L"SELVANE_TRACE", nullptr));
    ASSERT_EQ(::GetModuleHandleW(path.c_str()), nullptr) << "unloaded";
    EXPECT_FALSE(SurfaceClassOf(first)) << "the surface's class went with the library";

    const win32::UniqueModule again(::LoadLibraryW(path.c_str()));
    ASSERT_TRUE(again);
    ComPtr<IClassFactory> factory;
    ComPtr<IUnknown> control = CreateFrom(again.get(), factory);
    ASSERT_TRUE(control);
    auto selvane = As<_Selvane>(control);
    ASSERT_TRUE(selvane);
    const win32::Bstr pattern(L"*.txt");
    win32::Bstr shown;
    EXPECT_EQ(selvane->put_FileType(pattern.get()), S_OK);
    EXPECT_EQ(selvane->get_FileType(shown.put()), S_OK);
    EXPECT_EQ(shown.str(), L"*.txt") << "the pattern box, a window of the new load, holds it";
    selvane.reset();
    factory.reset();
    EXPECT_EQ(ReleaseLast(control), 0u);
}

// What the process holds: its kernel handles, one by one from the system's table of handles (Wine's
// GetProcessHandleCount answers 0, and its process list counts a handle table's capacity, in
// steps of 64), and the bytes in use in its heaps, block by block (Wine's
// memory counters give no private bytes, and the committed memory of a heap moves by a megabyte
// or two as it grows and shrinks, whatever is freed).
struct Held {
    unsigned long handles = 0;
    unsigned long threads = 0;
    unsigned long user_objects = 0;
    unsigned long gdi_objects = 0;
    unsigned long long heap_bytes = 0;
    // The index the next thread-local and fiber-local slot would get: the lowest free one.
    unsigned long next_tls = 0;
    unsigned long next_fls = 0;
};
Held HeldNow() {
    Held held;
    // SYSTEM_PROCESS_INFORMATION's first fields, as far as the handle count.
    struct ProcessEntry {
        ULONG next_offset;
        ULONG threads;
        BYTE unused[48];
        struct {
            USHORT length, capacity;
            wchar_t* text;
        } name;
        LONG base_priority;
        HANDLE process_id;
        HANDLE parent_id;
        ULONG handles;
    };
    using Query = LONG(WINAPI*)(int, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    std::vector<BYTE> buffer(1 << 20);
    constexpr int kSystemProcessInformation = 5;
    ULONG length = 0;
    if (query && query(kSystemProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &length) >= 0) {
        for (std::size_t offset = 0;;) {
            const auto* entry = reinterpret_cast<const ProcessEntry*>(buffer.data() + offset);
            if (reinterpret_cast<ULONG_PTR>(entry->process_id) == ::GetCurrentProcessId()) {
                held.handles = entry->handles;
                held.threads = entry->threads;
            }
            if (entry->next_offset == 0) break;
            offset += entry->next_offset;
        }
    }
    // SYSTEM_HANDLE_INFORMATION: every handle of the system with its process.
    struct HandleEntry { ULONG process_id; BYTE type, flags; USHORT value; void* object; ULONG access; };
    constexpr int kSystemHandleInformation = 16;
    buffer.assign(std::size_t{1} << 23, 0);
    if (query && query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &length) >= 0) {
        ULONG count = 0;
        std::memcpy(&count, buffer.data(), sizeof(count));
        const auto* entries = reinterpret_cast<const HandleEntry*>(buffer.data() + sizeof(void*));
        held.handles = static_cast<unsigned long>(std::count_if(entries, entries + count, [](const HandleEntry& entry) {
            return entry.process_id == ::GetCurrentProcessId();
        }));
    }
    held.user_objects = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
    held.gdi_objects = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    held.next_tls = ::TlsAlloc();
    ::TlsFree(held.next_tls);
    held.next_fls = ::FlsAlloc(nullptr);
    ::FlsFree(held.next_fls);
    std::vector<HANDLE> heaps(::GetProcessHeaps(0, nullptr) + 16);
    heaps.resize(::GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data()));
    for (HANDLE heap : heaps) {
        if (!::HeapLock(heap)) continue;
        PROCESS_HEAP_ENTRY entry{};
        while (::HeapWalk(heap, &entry)) {
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) held.heap_bytes += entry.cbData;
        }
        ::HeapUnlock(heap);
    }
    return held;
}

// Loaded, used and freed a hundred times, the library leaves neither handles nor memory behind:
// a control made each time, a folder listed, a failure answered (an exception thrown and caught
// inside).
TEST_F(LibraryTest, LoadedAndFreedAHundredTimesTheLibraryLeavesNothingBehind) {
    ::CoFreeUnusedLibrariesEx(0, 0);
    ASSERT_EQ(::GetModuleHandleW(path.c_str()), nullptr) << "nothing else in this process holds the library";
    auto round = [&] {
        const win32::UniqueModule loaded(::LoadLibraryW(path.c_str()));
        ASSERT_TRUE(loaded);
        ComPtr<IClassFactory> factory;
        ComPtr<IUnknown> control = CreateFrom(loaded.get(), factory);
        ASSERT_TRUE(control);
        EXPECT_EQ(As<IPersistStreamInit>(control)->InitNew(), S_OK);
        auto selvane = As<_Selvane>(control);
        ASSERT_TRUE(selvane);
        EXPECT_EQ(selvane->put_Path(win32::Bstr(L"C:\\windows").get()), S_OK);
        EXPECT_EQ(selvane->RefreshFiles(), S_OK);
        EXPECT_EQ(selvane->put_BackColor(0x80000099), CTL_E_INVALIDPROPERTYVALUE);
        selvane.reset();
        factory.reset();
        EXPECT_EQ(ReleaseLast(control), 0u);
    };
    // The first rounds load what the system keeps once loaded (its libraries, the fonts).
    for (int i = 0; i < 5; ++i) ASSERT_NO_FATAL_FAILURE(round());
    const Held before = HeldNow();
    for (int i = 0; i < 100; ++i) ASSERT_NO_FATAL_FAILURE(round());
    const Held after = HeldNow();
    const auto grown_kb = (static_cast<long long>(after.heap_bytes) - static_cast<long long>(before.heap_bytes)) / 1024;
    std::printf("100 loads: kernel handles %lu -> %lu, threads %lu -> %lu, USER objects %lu -> %lu, GDI objects "
                "%lu -> %lu, next TLS/FLS slot %lu/%lu -> %lu/%lu, heap bytes in use %+lld KB\n",
                before.handles, after.handles, before.threads, after.threads, before.user_objects, after.user_objects,
                before.gdi_objects, after.gdi_objects, before.next_tls, before.next_fls, after.next_tls,
                after.next_fls, grown_kb);
    RecordProperty("handles_grown", static_cast<int>(after.handles) - static_cast<int>(before.handles));
    RecordProperty("heap_kb_grown", static_cast<int>(grown_kb));
    EXPECT_LE(after.handles, before.handles + 10);
    // The pool keeps a few idle workers for a while; a thread a load would be a hundred.
    EXPECT_LE(after.threads, before.threads + 4);
    EXPECT_LE(after.user_objects, before.user_objects + 10);
    EXPECT_LE(after.gdi_objects, before.gdi_objects + 10) << "an icon or a font a load would be a hundred";
    // The runtime's per-thread key, made at every load, is freed at every unload.
    EXPECT_LE(after.next_tls, before.next_tls + 4);
    EXPECT_LE(after.next_fls, before.next_fls + 4);
    EXPECT_LE(grown_kb, 256) << "about 19 KB a load would be 1.9 MB";
}

}  // namespace
}  // namespace selvane::testing
