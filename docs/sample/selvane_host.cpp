// The smallest C++ program that hosts selvane.ocx on a window of its own: Wine's or Windows'
// atl.dll creates the control by its ProgID in an AtlAxWin window, and a sink hears its events.
// It needs the control registered, or the release zip's samples/selvane-app.manifest as its
// manifest with x86\ or x64\'s two files beside it. From the release zip, with mingw-w64
// (x86_64 for a 64-bit program, i686 for a 32-bit one), in the zip's top folder:
//
//   x86_64-w64-mingw32-g++ -std=c++17 -municode -static -I include samples/selvane_host.cpp
//       -o selvane_host.exe -lole32 -loleaut32 -luuid -luser32
//
// With Visual C++: cl /EHsc /I include samples\selvane_host.cpp ole32.lib oleaut32.lib user32.lib
//
//   selvane_host [FOLDER] [--check]
//
// FOLDER is where the control starts. With --check the program prints what the control reports
// and ends at once instead of showing its window until it is closed.
#include <windows.h>
#include <ocidl.h>

#include <cstdio>
#include <cwchar>

#include <initguid.h>  // in this one source file: defines CLSID_Selvane and the interface IDs
#include "selvane_h.h"  // the zip's include\selvane_h.h, made by widl from selvane.idl

namespace {

// atl.dll's two container functions, found at run time: mingw-w64 has no import library for them.
using AtlAxWinInitFunction = BOOL(WINAPI*)();
using AtlAxGetControlFunction = HRESULT(WINAPI*)(HWND, IUnknown**);

template <class Function>
Function Export(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Hears Click (dispid 1) and DblClick (dispid 2) on the control's event interface.
class Events : public IDispatch {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == DIID___Selvane) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override { return --refs_; }  // lives as long as the program
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        std::wprintf(L"event: %ls\n", id == 1 ? L"Click" : id == 2 ? L"DblClick" : L"other");
        std::fflush(stdout);
        return S_OK;
    }

private:
    ULONG refs_ = 1;
};

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_SIZE) {
        // The AtlAxWin window keeps the control at its own size.
        MoveWindow(GetDlgItem(window, 1), 0, 0, LOWORD(lparam), HIWORD(lparam), TRUE);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const wchar_t* folder = L"C:\\";
    bool check = false;
    for (int i = 1; i < argc; ++i) {
        if (std::wcscmp(argv[i], L"--check") == 0) check = true;
        else folder = argv[i];
    }
    OleInitialize(nullptr);
    HMODULE atl = LoadLibraryW(L"atl.dll");
    const auto init = atl ? Export<AtlAxWinInitFunction>(atl, "AtlAxWinInit") : nullptr;
    const auto get_control = atl ? Export<AtlAxGetControlFunction>(atl, "AtlAxGetControl") : nullptr;
    if (!init || !get_control || !init()) {
        std::wprintf(L"selvane_host: no ATL container (atl.dll)\n");
        return 1;
    }

    WNDCLASSW frame_class{};
    frame_class.lpfnWndProc = FrameProc;
    frame_class.hInstance = GetModuleHandleW(nullptr);
    frame_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
    frame_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    frame_class.lpszClassName = L"SelvaneHostFrame";
    RegisterClassW(&frame_class);
    HWND frame = CreateWindowExW(0, L"SelvaneHostFrame", L"Selvane host", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                 CW_USEDEFAULT, 420, 460, nullptr, nullptr, frame_class.hInstance, nullptr);
    // The window's title is the ProgID: the container creates the control and activates it.
    HWND host = CreateWindowExW(0, L"AtlAxWin", L"Selvane_OCX.Selvane", WS_CHILD | WS_VISIBLE, 0, 0, 400, 420, frame,
                                reinterpret_cast<HMENU>(1), frame_class.hInstance, nullptr);
    IUnknown* control = nullptr;
    _Selvane* selvane = nullptr;
    if (!host || FAILED(get_control(host, &control)) ||
        FAILED(control->QueryInterface(IID__Selvane, reinterpret_cast<void**>(&selvane)))) {
        std::wprintf(L"selvane_host: no control (is selvane.ocx registered for this bitness?)\n");
        return 1;
    }

    Events events;
    IConnectionPointContainer* points = nullptr;
    IConnectionPoint* point = nullptr;
    DWORD cookie = 0;
    if (SUCCEEDED(control->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&points))) &&
        SUCCEEDED(points->FindConnectionPoint(DIID___Selvane, &point))) {
        point->Advise(&events, &cookie);
    }

    BSTR path = SysAllocString(folder);
    const HRESULT set = selvane->put_Path(path);
    SysFreeString(path);
    if (FAILED(set)) std::wprintf(L"selvane_host: Path refused %ls (0x%08lX)\n", folder, static_cast<unsigned long>(set));
    BSTR shown = nullptr;
    BSTR pattern = nullptr;
    selvane->get_Path(&shown);
    selvane->get_FileType(&pattern);
    std::wprintf(L"selvane_host: Path %ls, FileType %ls\n", shown, pattern);
    std::fflush(stdout);
    SysFreeString(shown);
    SysFreeString(pattern);

    if (!check) {
        ShowWindow(frame, SW_SHOW);
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    if (point) {
        point->Unadvise(cookie);
        point->Release();
    }
    if (points) points->Release();
    selvane->Release();
    control->Release();
    if (IsWindow(frame)) DestroyWindow(frame);
    OleUninitialize();
    return 0;
}
