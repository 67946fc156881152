// selvane-settings-exchange: saves the registered control's settings to a file, or loads a file
// into a new control and prints what it holds, through IPersistStreamInit as a container does.
// Built for each bitness, so that tests/windows/both_bitnesses.sh can hand what one build
// saves to the other.
//   selvane-settings-exchange save FILE   (every setting away from its default, the newer ones
//                                          too where the control has them)
//   selvane-settings-exchange load FILE   (prints one line: the settings as loaded)
#include <windows.h>
#include <ocidl.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "tests/windows/com_support.h"

namespace selvane::testing {
namespace {

int Fail(const char* what, HRESULT hr) {
    std::printf("selvane-settings-exchange: %s failed (0x%08lX)\n", what, static_cast<unsigned long>(hr));
    return 1;
}

int Save(_Selvane* control, IPersistStreamInit* persist, const wchar_t* file) {
    const HRESULT set[] = {
        control->put_Path(Bstr(L"D:\\docs").get()),   control->put_FileType(Bstr(L"*.txt").get()),
        control->put_BackColor(0x00336699),           control->put_Label1Color(0x000000FF),
        control->put_Label2Color(0x0000FF00),         control->put_Label1Bold(VARIANT_TRUE),
        control->put_Label2Bold(VARIANT_TRUE),        control->put_DirOnly(VARIANT_TRUE),
        control->put_Server(VARIANT_TRUE),            control->put_Tips(VARIANT_FALSE),
        control->put_ShowHidden(VARIANT_TRUE)};
    for (HRESULT hr : set) {
        if (FAILED(hr)) return Fail("a put", hr);
    }
    if (ComPtr<_Selvane2> newer = As<_Selvane2>(control)) {
        if (FAILED(newer->put_MultiSelect(2)) || FAILED(newer->put_SortOrder(1))) return Fail("a newer put", E_FAIL);
    }
    ComPtr<IStream> stream;
    HRESULT hr = ::CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
    if (SUCCEEDED(hr)) hr = persist->Save(stream.get(), TRUE);
    if (FAILED(hr)) return Fail("Save", hr);
    HGLOBAL memory = nullptr;
    ::GetHGlobalFromStream(stream.get(), &memory);
    STATSTG stat{};
    stream->Stat(&stat, STATFLAG_NONAME);
    win32::UniqueStream out(_wfopen(file, L"wb"));
    if (!out) return Fail("opening the file", E_FAIL);
    const std::size_t size = static_cast<std::size_t>(stat.cbSize.QuadPart);
    const win32::GlobalLock bytes(memory);
    const bool written = std::fwrite(bytes.data(), 1, size, out.get()) == size;
    out.reset();
    if (!written) return Fail("writing the file", E_FAIL);
    std::printf("saved %u bytes\n", static_cast<unsigned>(size));
    return 0;
}

int Load(_Selvane* control, IPersistStreamInit* persist, const wchar_t* file) {
    std::vector<char> bytes;
    {
        const win32::UniqueStream in(_wfopen(file, L"rb"));
        if (!in) return Fail("opening the file", E_FAIL);
        char buffer[4096];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof(buffer), in.get())) > 0;) {
            bytes.insert(bytes.end(), buffer, buffer + got);
        }
    }
    ComPtr<IStream> stream;
    HRESULT hr = ::CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
    if (SUCCEEDED(hr)) hr = stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
    const LARGE_INTEGER start{};
    if (SUCCEEDED(hr)) hr = stream->Seek(start, STREAM_SEEK_SET, nullptr);
    if (SUCCEEDED(hr)) hr = persist->Load(stream.get());
    if (FAILED(hr)) return Fail("Load", hr);

    Bstr path;
    Bstr pattern;
    OLE_COLOR back = 0, label1 = 0, label2 = 0;
    VARIANT_BOOL bold1 = 0, bold2 = 0, dir_only = 0, server = 0, tips = 0, hidden = 0;
    control->get_Path(path.put());
    control->get_FileType(pattern.put());
    control->get_BackColor(&back);
    control->get_Label1Color(&label1);
    control->get_Label2Color(&label2);
    control->get_Label1Bold(&bold1);
    control->get_Label2Bold(&bold2);
    control->get_DirOnly(&dir_only);
    control->get_Server(&server);
    control->get_Tips(&tips);
    control->get_ShowHidden(&hidden);
    std::printf("loaded: Path=%ls FileType=%ls BackColor=%08lX Label1Color=%08lX Label2Color=%08lX Label1Bold=%d "
                "Label2Bold=%d DirOnly=%d Server=%d Tips=%d ShowHidden=%d",
                path.str().c_str(), pattern.str().c_str(), static_cast<unsigned long>(back),
                static_cast<unsigned long>(label1), static_cast<unsigned long>(label2), bold1, bold2, dir_only, server,
                tips, hidden);
    LONG multi = 0, order = 0;
    if (ComPtr<_Selvane2> newer = As<_Selvane2>(control)) {
        newer->get_MultiSelect(&multi);
        newer->get_SortOrder(&order);
    }
    std::printf(" MultiSelect=%ld SortOrder=%ld\n", multi, order);
    return 0;
}

int Run(const wchar_t* verb, const wchar_t* file) {
    CLSID clsid{};
    HRESULT hr = ::CLSIDFromProgID(L"Selvane_OCX.Selvane", &clsid);
    if (FAILED(hr)) return Fail("CLSIDFromProgID", hr);
    ComPtr<_Selvane> control;
    hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID__Selvane, reinterpret_cast<void**>(control.put()));
    if (FAILED(hr)) return Fail("CoCreateInstance", hr);
    ComPtr<IPersistStreamInit> persist;
    if (FAILED(hr = control.As(&persist))) return Fail("IPersistStreamInit", hr);
    if (std::wcscmp(verb, L"save") == 0) {
        if (FAILED(hr = persist->InitNew())) return Fail("InitNew", hr);
        return Save(control.get(), persist.get(), file);
    }
    return Load(control.get(), persist.get(), file);
}

}  // namespace
}  // namespace selvane::testing

int wmain(int argc, wchar_t** argv) {
    if (argc != 3 || (std::wcscmp(argv[1], L"save") != 0 && std::wcscmp(argv[1], L"load") != 0)) {
        std::fprintf(stderr, "usage: selvane-settings-exchange save|load FILE\n");
        return 2;
    }
    if (FAILED(::OleInitialize(nullptr))) return 1;
    const int result = selvane::testing::Run(argv[1], argv[2]);
    ::OleUninitialize();
    return result;
}
