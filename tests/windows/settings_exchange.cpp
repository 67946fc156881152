// selvane-settings-exchange: saves the registered control's settings to a file, or loads a file
// into a new control and prints what it holds, through IPersistStreamInit as a container does.
// Built for each bitness, so that tests/windows/both_bitnesses.sh can hand what one build
// saves to the other; and run against whichever release is registered, so that one release can
// be handed what another saves.
//   selvane-settings-exchange save FILE      (every setting away from its default, the newer
//                                             ones too where the control has them)
//   selvane-settings-exchange defaults FILE  (a new control's settings)
//   selvane-settings-exchange load FILE      (prints one line: the settings as loaded; writes
//                                             what the control saves after it to FILE.again)
//   selvane-settings-exchange bag            (loads a property bag holding every setting away
//                                             from its default, the newer ones too; prints the
//                                             settings, the keys read, the errors logged and
//                                             the keys the control saves after it)
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

// The settings a control of any release can take, and, from 4.1 on, the newer ones.
int Customise(_Selvane* control) {
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
    return 0;
}

int Save(IPersistStreamInit* persist, const std::wstring& file) {
    ComPtr<IStream> stream;
    HRESULT hr = ::CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
    if (SUCCEEDED(hr)) hr = persist->Save(stream.get(), TRUE);
    if (FAILED(hr)) return Fail("Save", hr);
    HGLOBAL memory = nullptr;
    ::GetHGlobalFromStream(stream.get(), &memory);
    STATSTG stat{};
    stream->Stat(&stat, STATFLAG_NONAME);
    win32::UniqueStream out(_wfopen(file.c_str(), L"wb"));
    if (!out) return Fail("opening the file", E_FAIL);
    const std::size_t size = static_cast<std::size_t>(stat.cbSize.QuadPart);
    const win32::GlobalLock bytes(memory);
    const bool written = std::fwrite(bytes.data(), 1, size, out.get()) == size;
    out.reset();
    if (!written) return Fail("writing the file", E_FAIL);
    std::printf("saved %u bytes\n", static_cast<unsigned>(size));
    return 0;
}

void PrintSettings(_Selvane* control) {
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
    if (ComPtr<_Selvane2> newer = As<_Selvane2>(control)) {
        LONG multi = -1, order = -1;
        newer->get_MultiSelect(&multi);
        newer->get_SortOrder(&order);
        std::printf(" MultiSelect=%ld SortOrder=%ld", multi, order);
    }
    std::printf("\n");
}

int Load(_Selvane* control, IPersistStreamInit* persist, const std::wstring& file) {
    std::vector<char> bytes;
    {
        const win32::UniqueStream in(_wfopen(file.c_str(), L"rb"));
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
    PrintSettings(control);
    return Save(persist, file + L".again");
}

void PrintKeys(const char* what, const std::vector<std::wstring>& keys) {
    std::printf("%s:", what);
    for (const std::wstring& key : keys) std::printf(" %ls", key.c_str());
    std::printf("\n");
}

// The bag as 4.1 writes it for the settings Customise gives.
int LoadBag(_Selvane* control) {
    auto bag = Make<RecordingBag>();
    const auto number = [&](const wchar_t* key, LONG value) {
        win32::Variant v;
        v->vt = VT_I4;
        v->lVal = value;
        bag->Put(key, *v.get());
    };
    const auto truth = [&](const wchar_t* key, bool value) {
        win32::Variant v;
        v->vt = VT_BOOL;
        v->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
        bag->Put(key, *v.get());
    };
    number(L"BackColor", 0x00336699);
    number(L"Label1Color", 0x000000FF);
    number(L"Label2Color", 0x0000FF00);
    truth(L"Label1Bold", true);
    truth(L"Label2Bold", true);
    bag->PutText(L"Path", L"D:\\docs");
    truth(L"DirOnly", true);
    truth(L"Server", true);
    truth(L"Tips", false);
    bag->PutText(L"FileType", L"*.txt");
    truth(L"ShowHidden", true);
    number(L"MultiSelect", 2);
    number(L"SortOrder", 1);
    const ComPtr<IPersistPropertyBag> persist = As<IPersistPropertyBag>(control);
    if (!persist) return Fail("IPersistPropertyBag", E_NOINTERFACE);
    const HRESULT hr = persist->Load(bag.get(), bag.get());
    if (FAILED(hr)) return Fail("IPersistPropertyBag::Load", hr);
    PrintSettings(control);
    PrintKeys("read", bag->reads);
    std::printf("errors logged: %u\n", static_cast<unsigned>(bag->errors.size()));
    auto again = Make<RecordingBag>();
    if (FAILED(persist->Save(again.get(), TRUE, TRUE))) return Fail("IPersistPropertyBag::Save", E_FAIL);
    PrintKeys("saved", again->writes);
    return 0;
}

int Run(const std::wstring& verb, const wchar_t* file) {
    CLSID clsid{};
    HRESULT hr = ::CLSIDFromProgID(L"Selvane_OCX.Selvane", &clsid);
    if (FAILED(hr)) return Fail("CLSIDFromProgID", hr);
    ComPtr<_Selvane> control;
    hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID__Selvane, reinterpret_cast<void**>(control.put()));
    if (FAILED(hr)) return Fail("CoCreateInstance", hr);
    if (verb == L"bag") return LoadBag(control.get());
    ComPtr<IPersistStreamInit> persist;
    if (FAILED(hr = control.As(&persist))) return Fail("IPersistStreamInit", hr);
    if (verb == L"load") return Load(control.get(), persist.get(), file);
    if (FAILED(hr = persist->InitNew())) return Fail("InitNew", hr);
    if (verb == L"save" && Customise(control.get()) != 0) return 1;
    return Save(persist.get(), file);
}

}  // namespace
}  // namespace selvane::testing

int wmain(int argc, wchar_t** argv) {
    const std::wstring verb = argc > 1 ? argv[1] : L"";
    const bool filed = verb == L"save" || verb == L"defaults" || verb == L"load";
    if (!(filed && argc == 3) && !(verb == L"bag" && argc == 2)) {
        std::fprintf(stderr, "usage: selvane-settings-exchange save|defaults|load FILE, or bag\n");
        return 2;
    }
    if (FAILED(::OleInitialize(nullptr))) return 1;
    const int result = selvane::testing::Run(verb, filed ? argv[2] : nullptr);
    ::OleUninitialize();
    return result;
}
