// Owners for everything the Win32 side acquires and must give back: kernel, GDI and registry
// handles, DCs, selections into a DC, global-memory locks, interface pointers, BSTRs and
// VARIANTs. The control, the demo and the tests all use these, so that no path that returns
// early or throws can leak or skip a release.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <objbase.h>

#include <cstdio>

#include <string>
#include <utility>

namespace selvane::win32 {

// An owned handle that is closed when it goes. Traits name the type, the invalid value and the close.
template <typename Traits>
class Unique {
public:
    using Type = typename Traits::Type;
    Unique() = default;
    explicit Unique(Type handle) : handle_(handle) {}
    Unique(Unique&& other) noexcept : handle_(std::exchange(other.handle_, Traits::Invalid())) {}
    Unique& operator=(Unique&& other) noexcept {
        reset(std::exchange(other.handle_, Traits::Invalid()));
        return *this;
    }
    ~Unique() { reset(); }

    Type get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::Invalid(); }
    void reset(Type handle = Traits::Invalid()) {
        if (handle_ != Traits::Invalid()) Traits::Close(handle_);
        handle_ = handle;
    }
    // For the out-parameter of the call that creates the handle, so that it is owned from the
    // moment it exists: closes what is held first.
    Type* put() {
        reset();
        return &handle_;
    }
    // Hands the handle to the caller, who closes it.
    Type release() { return std::exchange(handle_, Traits::Invalid()); }

private:
    Type handle_ = Traits::Invalid();
};

struct FindTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type handle) { ::FindClose(handle); }
};
template <typename T>
struct GdiTraits {
    using Type = T;
    static Type Invalid() { return nullptr; }
    static void Close(Type handle) { ::DeleteObject(handle); }
};
struct IconTraits {
    using Type = HICON;
    static Type Invalid() { return nullptr; }
    static void Close(Type handle) { ::DestroyIcon(handle); }
};
struct WindowTraits {
    using Type = HWND;
    static Type Invalid() { return nullptr; }
    static void Close(Type handle) { ::DestroyWindow(handle); }
};

struct HandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type handle) { ::CloseHandle(handle); }
};

using UniqueFind = Unique<FindTraits>;
using UniqueFile = Unique<HandleTraits>;
using UniqueFont = Unique<GdiTraits<HFONT>>;
using UniqueBrush = Unique<GdiTraits<HBRUSH>>;
using UniqueIcon = Unique<IconTraits>;
using UniqueWindow = Unique<WindowTraits>;

// A window's painting, from BeginPaint to EndPaint when this goes. get() is null when BeginPaint
// failed.
class Painting {
public:
    explicit Painting(HWND window) : window_(window), dc_(::BeginPaint(window, &paint_)) {}
    ~Painting() {
        if (dc_ != nullptr) ::EndPaint(window_, &paint_);
    }
    Painting(const Painting&) = delete;
    Painting& operator=(const Painting&) = delete;
    HDC get() const { return dc_; }
    const PAINTSTRUCT& paint() const { return paint_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// A window that draws nothing while it is changed (WM_SETREDRAW), and is drawn whole once
// after, however the change ends.
class RedrawStopped {
public:
    explicit RedrawStopped(HWND window) : window_(window) { ::SendMessageW(window_, WM_SETREDRAW, FALSE, 0); }
    ~RedrawStopped() {
        ::SendMessageW(window_, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(window_, nullptr, TRUE);
    }
    RedrawStopped(const RedrawStopped&) = delete;
    RedrawStopped& operator=(const RedrawStopped&) = delete;

private:
    HWND window_;
};

// A window's DC for measuring, released when it goes.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(::GetDC(window)) {}
    ~WindowDC() {
        if (dc_ != nullptr) ::ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

struct MemoryDCTraits {
    using Type = HDC;
    static Type Invalid() { return nullptr; }
    static void Close(Type dc) { ::DeleteDC(dc); }
};
struct KeyTraits {
    using Type = HKEY;
    static Type Invalid() { return nullptr; }
    static void Close(Type key) { ::RegCloseKey(key); }
};
struct GlobalTraits {
    using Type = HGLOBAL;
    static Type Invalid() { return nullptr; }
    static void Close(Type memory) { ::GlobalFree(memory); }
};
struct AcceleratorTraits {
    using Type = HACCEL;
    static Type Invalid() { return nullptr; }
    static void Close(Type table) { ::DestroyAcceleratorTable(table); }
};
struct KernelTraits {
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static void Close(Type handle) { ::CloseHandle(handle); }
};
struct ModuleTraits {
    using Type = HMODULE;
    static Type Invalid() { return nullptr; }
    static void Close(Type module) { ::FreeLibrary(module); }
};
struct ViewTraits {
    using Type = void*;
    static Type Invalid() { return nullptr; }
    static void Close(Type view) { ::UnmapViewOfFile(view); }
};

struct ChangeNotificationTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type handle) { ::FindCloseChangeNotification(handle); }
};
struct WaitTraits {
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    // Waits for a callback under way to end, so that nothing it uses goes before it does.
    static void Close(Type wait) { ::UnregisterWaitEx(wait, INVALID_HANDLE_VALUE); }
};

using UniqueBitmap = Unique<GdiTraits<HBITMAP>>;
// A DC made by CreateCompatibleDC.
using UniqueMemoryDC = Unique<MemoryDCTraits>;
using UniqueKey = Unique<KeyTraits>;
using UniqueGlobal = Unique<GlobalTraits>;
using UniqueAccelerators = Unique<AcceleratorTraits>;
// A process, thread, file mapping or job: closed like a file, but null when there is none.
using UniqueKernelHandle = Unique<KernelTraits>;
// A library from LoadLibrary or LoadLibraryEx.
using UniqueModule = Unique<ModuleTraits>;
// A view from MapViewOfFile.
using UniqueView = Unique<ViewTraits>;
// A handle from FindFirstChangeNotificationW.
using UniqueChangeNotification = Unique<ChangeNotificationTraits>;
// A wait from RegisterWaitForSingleObject.
using UniqueWait = Unique<WaitTraits>;

// A slim reader/writer lock held, exclusively or shared, until this goes. The system's own lock:
// the library starts nothing of the C++ runtime's threading, which would stay behind when the
// library is unloaded.
class SrwLocked {
public:
    enum Mode { kExclusive, kShared };
    explicit SrwLocked(SRWLOCK& lock, Mode mode = kExclusive) : lock_(lock), mode_(mode) {
        if (mode_ == kExclusive) {
            ::AcquireSRWLockExclusive(&lock_);
        } else {
            ::AcquireSRWLockShared(&lock_);
        }
    }
    ~SrwLocked() {
        if (mode_ == kExclusive) {
            ::ReleaseSRWLockExclusive(&lock_);
        } else {
            ::ReleaseSRWLockShared(&lock_);
        }
    }
    SrwLocked(const SrwLocked&) = delete;
    SrwLocked& operator=(const SrwLocked&) = delete;

private:
    SRWLOCK& lock_;
    Mode mode_;
};

// An object selected into a DC, and the one it replaced put back when this goes.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(::SelectObject(dc, object)) {}
    ~SelectedObject() {
        // HGDI_ERROR, spelled so that the 64-bit headers' sign extension raises no warning.
        if (old_ != nullptr && old_ != reinterpret_cast<HGDIOBJ>(static_cast<LONG_PTR>(-1))) ::SelectObject(dc_, old_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// Global memory locked for reading or writing, unlocked when this goes. data() is null when
// the lock failed.
class GlobalLock {
public:
    explicit GlobalLock(HGLOBAL memory) : memory_(memory), data_(::GlobalLock(memory)) {}
    ~GlobalLock() {
        if (data_ != nullptr) ::GlobalUnlock(memory_);
    }
    GlobalLock(const GlobalLock&) = delete;
    GlobalLock& operator=(const GlobalLock&) = delete;
    void* data() const { return data_; }
    SIZE_T size() const { return ::GlobalSize(memory_); }

private:
    HGLOBAL memory_;
    void* data_;
};

// An interface pointer that holds one reference.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(T* pointer) : pointer_(pointer) {  // NOLINT: adopts by adding a reference
        if (pointer_) pointer_->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.pointer_) {}
    ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(pointer_, other.pointer_);
        return *this;
    }
    ~ComPtr() { reset(); }

    // Takes over a reference the caller holds, such as a new object's first.
    static ComPtr Adopt(T* pointer) {
        ComPtr result;
        result.pointer_ = pointer;
        return result;
    }

    T* get() const { return pointer_; }
    T* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }
    void reset() {
        if (T* old = std::exchange(pointer_, nullptr)) old->Release();
    }
    // For an out-parameter: releases what is held first.
    T** put() {
        reset();
        return &pointer_;
    }
    // Hands the reference to the caller.
    T* detach() { return std::exchange(pointer_, nullptr); }

    template <class U>
    HRESULT As(ComPtr<U>* other) const {
        if (!pointer_) return E_POINTER;
        return pointer_->QueryInterface(__uuidof(U), reinterpret_cast<void**>(other->put()));
    }

private:
    T* pointer_ = nullptr;
};

// What type information lends the caller, given back when this goes: a type's attributes, one
// of its functions' descriptions, a library's attributes. Null when the call failed.
template <class Source, class Lent, void (STDMETHODCALLTYPE Source::*GiveBack)(Lent*)>
class Lending {
public:
    Lending() = default;
    ~Lending() {
        if (lent_) (source_->*GiveBack)(lent_);
    }
    Lending(const Lending&) = delete;
    Lending& operator=(const Lending&) = delete;

    const Lent* get() const { return lent_; }
    const Lent* operator->() const { return lent_; }
    explicit operator bool() const { return lent_ != nullptr; }

protected:
    Source* source_ = nullptr;
    Lent* lent_ = nullptr;
};

class TypeAttributes : public Lending<ITypeInfo, TYPEATTR, &ITypeInfo::ReleaseTypeAttr> {
public:
    explicit TypeAttributes(ITypeInfo* info) {
        source_ = info;
        if (info && FAILED(info->GetTypeAttr(&lent_))) lent_ = nullptr;
    }
};

class FunctionDescription : public Lending<ITypeInfo, FUNCDESC, &ITypeInfo::ReleaseFuncDesc> {
public:
    FunctionDescription(ITypeInfo* info, UINT index) {
        source_ = info;
        if (info && FAILED(info->GetFuncDesc(index, &lent_))) lent_ = nullptr;
    }
};

class LibraryAttributes : public Lending<ITypeLib, TLIBATTR, &ITypeLib::ReleaseTLibAttr> {
public:
    explicit LibraryAttributes(ITypeLib* library) {
        source_ = library;
        if (library && FAILED(library->GetLibAttr(&lent_))) lent_ = nullptr;
    }
};

// Memory a call allocated with CoTaskMemAlloc for the caller (a user type's name, say).
template <class T>
class TaskMemory {
public:
    TaskMemory() = default;
    ~TaskMemory() { ::CoTaskMemFree(value_); }
    TaskMemory(const TaskMemory&) = delete;
    TaskMemory& operator=(const TaskMemory&) = delete;
    T* get() const { return value_; }
    T** put() {
        ::CoTaskMemFree(std::exchange(value_, nullptr));
        return &value_;
    }

private:
    T* value_ = nullptr;
};

// A C stream, closed when it goes.
struct StreamTraits {
    using Type = FILE*;
    static Type Invalid() { return nullptr; }
    static void Close(Type stream) { std::fclose(stream); }
};
using UniqueStream = Unique<StreamTraits>;

// A SAFEARRAY, destroyed when it goes unless released to a caller.
struct SafeArrayTraits {
    using Type = SAFEARRAY*;
    static Type Invalid() { return nullptr; }
    static void Close(Type array) { ::SafeArrayDestroy(array); }
};
using UniqueSafeArray = Unique<SafeArrayTraits>;

// A BSTR that frees itself: an argument made from text, or a result an out-parameter fills.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(const std::wstring& text) : value_(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    explicit Bstr(const wchar_t* text) : value_(::SysAllocString(text)) {}
    // Takes over a string the caller owns, such as one a call returned.
    static Bstr Adopt(BSTR text) {
        Bstr result;
        result.value_ = text;
        return result;
    }
    ~Bstr() { ::SysFreeString(value_); }
    Bstr(Bstr&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept {
        std::swap(value_, other.value_);
        return *this;
    }

    BSTR get() const { return value_; }
    // For an out-parameter: frees what is held first.
    BSTR* put() {
        ::SysFreeString(std::exchange(value_, nullptr));
        return &value_;
    }
    // Hands the string to the caller.
    BSTR release() { return std::exchange(value_, nullptr); }
    std::wstring str() const { return value_ ? std::wstring(value_, ::SysStringLen(value_)) : std::wstring(); }

private:
    BSTR value_ = nullptr;
};

// A VARIANT that is cleared when it goes.
class Variant {
public:
    Variant() { ::VariantInit(&value_); }
    ~Variant() { ::VariantClear(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;

    VARIANT* get() { return &value_; }
    const VARIANT* get() const { return &value_; }
    VARIANT* operator->() { return &value_; }
    const VARIANT* operator->() const { return &value_; }
    // For an out-parameter: clears what is held first.
    VARIANT* put() {
        ::VariantClear(&value_);
        return &value_;
    }

private:
    VARIANT value_;
};

}  // namespace selvane::win32
