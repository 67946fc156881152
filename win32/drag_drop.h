// Files and folders dragged out of the lists, and dropped onto the control, through the system's
// drag and drop (OLE's, with the shell's data objects).
#pragma once

#include <windows.h>
#include <ole2.h>

#include <functional>
#include <string>
#include <vector>

#include "win32/handles.h"

namespace selvane::win32 {

// What a drag out of the control allows: a copy or a link, never a move, so that no drop
// target takes the file away from where the user keeps it.
inline constexpr DWORD kDragEffects = DROPEFFECT_COPY | DROPEFFECT_LINK;

// The shell's data object for files or folders of one folder, as Explorer offers it: the files
// as CF_HDROP and as the shell's ID list, among others. Null when a path names nothing the shell
// knows, or there is none.
ComPtr<IDataObject> DataObjectOf(const std::vector<std::wstring>& paths);

// Drags the files or folders until the user lets go (DoDragDrop, on the calling thread's OLE):
// answers the effect the target chose, DROPEFFECT_NONE when the drag was cancelled or refused.
DWORD DragOut(const std::vector<std::wstring>& paths);

// The files or folders the data carries as CF_HDROP; none when it carries none.
std::vector<std::wstring> DroppedPaths(IDataObject* data);

// What a window accepts dropped onto it: data that carries a file or a folder, which `dropped`
// is handed (the first when there are several). Anything else is refused, and the pointer shows
// that it can't be dropped. The effect offered is a link where the source allows one, else a
// copy: the drop takes nothing away from the source.
class DropTarget final : public IDropTarget {
public:
    // `dropped` answers whether it took the path.
    explicit DropTarget(std::function<bool(const std::wstring&)> dropped) : dropped_(std::move(dropped)) {}
    DropTarget(const DropTarget&) = delete;
    DropTarget& operator=(const DropTarget&) = delete;

    // Takes nothing more once the window has gone; OLE may hold the object a while longer.
    void Disconnect() { dropped_ = nullptr; }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP DragEnter(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) override;
    STDMETHODIMP DragOver(DWORD keys, POINTL at, DWORD* effect) override;
    STDMETHODIMP DragLeave() override;
    STDMETHODIMP Drop(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) override;

private:
    ~DropTarget() = default;
    DWORD Offered(DWORD allowed) const;

    LONG refs_ = 1;
    bool carries_path_ = false;
    std::function<bool(const std::wstring&)> dropped_;
};

}  // namespace selvane::win32
