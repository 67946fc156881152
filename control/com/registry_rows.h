// What registering the control writes, as one table: self-registration walks it, and the build
// reads it (cmake/installer.cmake) for the installers, the bundlers' WiX fragments and the .reg
// listings, so that none of them can drift from another. Keys lie under Software\Classes of the
// scope (HKEY_CLASSES_ROOT to the library); an empty name is the key's default value, and a row
// without a value is a key alone (a marker that hosts look for).
//
// A {token} stands for: class, class_name, prog_id, versioned_prog_id, threading_model,
// misc_status, toolbox_bitmap, control_category, library, library_version, library_locale,
// library_title, library_flags, platform (win32 or win64) and file (the library's full path);
// in interface rows also interface, interface_name and proxy (its marshaller), once for each
// Automation interface of the type library. Each row stays on one line: the build reads them so.
#pragma once

namespace selvane::com {

enum class RowPart {
    kClass,      // the class, in this bitness's view
    kLibrary,    // the type library's path for this bitness
    kInterface,  // each Automation interface
    kProgIds,    // the ProgIDs, which both bitnesses share
    kShared,     // the type library's version key, which both bitnesses share
};

struct RegistryRow {
    RowPart part;
    const wchar_t* key;
    const wchar_t* name;
    const wchar_t* value;  // nullptr: the key alone
};

// clang-format off
inline constexpr RegistryRow kRegistryRows[] = {
    {RowPart::kClass, L"CLSID\\{class}", L"", L"{class_name}"},
    {RowPart::kClass, L"CLSID\\{class}\\InprocServer32", L"", L"{file}"},
    {RowPart::kClass, L"CLSID\\{class}\\InprocServer32", L"ThreadingModel", L"{threading_model}"},
    {RowPart::kClass, L"CLSID\\{class}\\Control", L"", nullptr},
    {RowPart::kClass, L"CLSID\\{class}\\MiscStatus", L"", L"0"},
    {RowPart::kClass, L"CLSID\\{class}\\MiscStatus\\1", L"", L"{misc_status}"},
    {RowPart::kClass, L"CLSID\\{class}\\ToolboxBitmap32", L"", L"{file}, {toolbox_bitmap}"},
    {RowPart::kClass, L"CLSID\\{class}\\TypeLib", L"", L"{library}"},
    {RowPart::kClass, L"CLSID\\{class}\\Version", L"", L"{library_version}"},
    {RowPart::kClass, L"CLSID\\{class}\\ProgID", L"", L"{versioned_prog_id}"},
    {RowPart::kClass, L"CLSID\\{class}\\VersionIndependentProgID", L"", L"{prog_id}"},
    {RowPart::kClass, L"CLSID\\{class}\\Implemented Categories\\{control_category}", L"", nullptr},
    {RowPart::kLibrary, L"TypeLib\\{library}\\{library_version}\\{library_locale}\\{platform}", L"", L"{file}"},
    {RowPart::kInterface, L"Interface\\{interface}", L"", L"{interface_name}"},
    {RowPart::kInterface, L"Interface\\{interface}\\ProxyStubClsid", L"", L"{proxy}"},
    {RowPart::kInterface, L"Interface\\{interface}\\ProxyStubClsid32", L"", L"{proxy}"},
    {RowPart::kInterface, L"Interface\\{interface}\\TypeLib", L"", L"{library}"},
    {RowPart::kInterface, L"Interface\\{interface}\\TypeLib", L"Version", L"{library_version}"},
    {RowPart::kProgIds, L"{prog_id}", L"", L"{class_name}"},
    {RowPart::kProgIds, L"{prog_id}\\CLSID", L"", L"{class}"},
    {RowPart::kProgIds, L"{prog_id}\\CurVer", L"", L"{versioned_prog_id}"},
    {RowPart::kProgIds, L"{versioned_prog_id}", L"", L"{class_name}"},
    {RowPart::kProgIds, L"{versioned_prog_id}\\CLSID", L"", L"{class}"},
    {RowPart::kShared, L"TypeLib\\{library}\\{library_version}", L"", L"{library_title}"},
    {RowPart::kShared, L"TypeLib\\{library}\\{library_version}\\FLAGS", L"", L"{library_flags}"},
    // The help folder: one key for both bitnesses, which lie in folders of their own, so it
    // names none (a folder of one would outlive that bitness's removal).
    {RowPart::kShared, L"TypeLib\\{library}\\{library_version}\\HELPDIR", L"", nullptr},
};
// clang-format on

}  // namespace selvane::com
