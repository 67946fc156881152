#include "win32/drag_drop.h"

#include <shlobj.h>
#include <shellapi.h>

#include <new>

namespace selvane::win32 {
namespace {

// From the headers, as the 64-bit mingw-w64 libraries resolve some identifiers to import thunks.
const IID kDropTarget = __uuidof(IDropTarget);
const IID kDropSource = __uuidof(IDropSource);
const IID kDataObject = __uuidof(IDataObject);
const IID kShellFolder = __uuidof(IShellFolder);

struct ItemList {
    PIDLIST_ABSOLUTE items = nullptr;
    ~ItemList() { ::CoTaskMemFree(items); }
};

// The drag's end: Esc cancels it, letting go of the button drops.
class DropSource final : public IDropSource {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (!::IsEqualIID(iid, IID_IUnknown) && !::IsEqualIID(iid, kDropSource)) return E_NOINTERFACE;
        *object = static_cast<IDropSource*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG refs = ::InterlockedDecrement(&refs_);
        if (refs == 0) delete this;
        return static_cast<ULONG>(refs);
    }
    STDMETHODIMP QueryContinueDrag(BOOL escape, DWORD keys) override {
        if (escape) return DRAGDROP_S_CANCEL;
        return (keys & (MK_LBUTTON | MK_RBUTTON)) == 0 ? DRAGDROP_S_DROP : S_OK;
    }
    STDMETHODIMP GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    ~DropSource() = default;
    LONG refs_ = 1;
};

}  // namespace

// Each path's ID list, and each one's last item under the folder of the first.
ComPtr<IDataObject> DataObjectOf(const std::vector<std::wstring>& paths) {
    std::vector<ItemList> lists(paths.size());
    std::vector<PCUITEMID_CHILD> children;
    ComPtr<IShellFolder> parent;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (FAILED(::SHParseDisplayName(paths[i].c_str(), nullptr, &lists[i].items, 0, nullptr))) return {};
        ComPtr<IShellFolder> folder;
        PCUITEMID_CHILD child = nullptr;
        if (FAILED(::SHBindToParent(lists[i].items, kShellFolder, reinterpret_cast<void**>(folder.put()), &child))) return {};
        if (!parent) parent = folder;
        children.push_back(child);
    }
    ComPtr<IDataObject> data;
    if (!parent || FAILED(parent->GetUIObjectOf(nullptr, static_cast<UINT>(children.size()), children.data(), kDataObject,
                                                 nullptr, reinterpret_cast<void**>(data.put())))) {
        return {};
    }
    return data;
}

DWORD DragOut(const std::vector<std::wstring>& paths) {
    const ComPtr<IDataObject> data = DataObjectOf(paths);
    if (!data) return DROPEFFECT_NONE;
    const ComPtr<IDropSource> source = ComPtr<IDropSource>::Adopt(new (std::nothrow) DropSource);
    if (!source) return DROPEFFECT_NONE;
    DWORD effect = DROPEFFECT_NONE;
    if (::DoDragDrop(data.get(), source.get(), kDragEffects, &effect) != DRAGDROP_S_DROP) return DROPEFFECT_NONE;
    return effect;
}

std::vector<std::wstring> DroppedPaths(IDataObject* data) {
    std::vector<std::wstring> paths;
    if (data == nullptr) return paths;
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (FAILED(data->GetData(&format, &medium))) return paths;
    {
        const GlobalLock locked(medium.hGlobal);
        if (auto* files = static_cast<HDROP>(locked.data())) {
            const UINT count = ::DragQueryFileW(files, 0xFFFFFFFF, nullptr, 0);
            for (UINT i = 0; i < count; ++i) {
                const UINT length = ::DragQueryFileW(files, i, nullptr, 0);
                std::wstring path(length + 1, L'\0');
                path.resize(::DragQueryFileW(files, i, path.data(), length + 1));
                if (!path.empty()) paths.push_back(std::move(path));
            }
        }
    }
    ::ReleaseStgMedium(&medium);
    return paths;
}

STDMETHODIMP DropTarget::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!::IsEqualIID(iid, IID_IUnknown) && !::IsEqualIID(iid, kDropTarget)) return E_NOINTERFACE;
    *object = static_cast<IDropTarget*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) DropTarget::Release() {
    const LONG refs = ::InterlockedDecrement(&refs_);
    if (refs == 0) delete this;
    return static_cast<ULONG>(refs);
}

DWORD DropTarget::Offered(DWORD allowed) const {
    if (!carries_path_ || !dropped_) return DROPEFFECT_NONE;
    if (allowed & DROPEFFECT_LINK) return DROPEFFECT_LINK;
    return allowed & DROPEFFECT_COPY;
}

STDMETHODIMP DropTarget::DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) {
    if (!effect) return E_INVALIDARG;
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    carries_path_ = data != nullptr && data->QueryGetData(&format) == S_OK;
    *effect = Offered(*effect);
    return S_OK;
}

STDMETHODIMP DropTarget::DragOver(DWORD, POINTL, DWORD* effect) {
    if (!effect) return E_INVALIDARG;
    *effect = Offered(*effect);
    return S_OK;
}

STDMETHODIMP DropTarget::DragLeave() {
    carries_path_ = false;
    return S_OK;
}

STDMETHODIMP DropTarget::Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) {
    if (!effect) return E_INVALIDARG;
    const DWORD offered = Offered(*effect);
    carries_path_ = false;
    const std::vector<std::wstring> paths = offered != DROPEFFECT_NONE ? DroppedPaths(data) : std::vector<std::wstring>();
    const std::wstring path = paths.empty() ? std::wstring() : paths.front();
    // Kept while it runs: the drop may let the window, and with it this target's owner, go.
    const auto dropped = dropped_;
    *effect = !path.empty() && dropped && dropped(path) ? offered : DROPEFFECT_NONE;
    return S_OK;
}

}  // namespace selvane::win32
