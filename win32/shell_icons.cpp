#include "win32/shell_icons.h"

#include <shellapi.h>

#include <exception>
#include <vector>

#include "appearance/layout.h"
#include "win32/handles.h"

namespace selvane::win32 {
namespace {

// The icons loaded so far, by stock icon and size, for every surface of the process.
struct Loaded {
    SHSTOCKICONID id;
    int size;
    HICON icon;  // the library's own, destroyed as it is unloaded
};
SRWLOCK g_icons_lock = SRWLOCK_INIT;
std::vector<Loaded> g_icons;

// The picture at its own pixels at the size asked, from the icon resource's image nearest to
// it, not a small icon stretched: crisp at every scale. shell32's resources hold each stock
// picture at many sizes; the stock icon itself (one size) is the fallback.
HICON LoadAtSize(SHSTOCKICONID id, int shell_resource, int size) {
    if (auto* icon = static_cast<HICON>(::LoadImageW(::GetModuleHandleW(L"shell32.dll"),
                                                      MAKEINTRESOURCEW(shell_resource), IMAGE_ICON, size, size, 0))) {
        return icon;
    }
    SHSTOCKICONINFO info{};
    info.cbSize = sizeof(info);
    return SUCCEEDED(::SHGetStockIconInfo(id, SHGSI_ICON | (size <= 16 ? SHGSI_SMALLICON : 0u), &info)) ? info.hIcon
                                                                                                       : nullptr;
}

// Stock pictures need no access to any drive or file, so drawing never waits on a device.
HICON StockIcon(SHSTOCKICONID id, int shell_resource, int size) {
    const SrwLocked locked(g_icons_lock);
    for (const Loaded& loaded : g_icons) {
        if (loaded.id == id && loaded.size == size) return loaded.icon;
    }
    HICON icon = LoadAtSize(id, shell_resource, size);
    if (icon == nullptr) return nullptr;
    try {
        g_icons.push_back({id, size, icon});
    } catch (const std::exception&) {
        // Not kept: drawn this once, then given back.
        ::DestroyIcon(icon);
        return nullptr;
    }
    return icon;
}

}  // namespace

HICON DriveIcon(UINT drive_type, int dpi) {
    const int size = IconPixels(dpi);
    switch (drive_type) {
    case DRIVE_REMOVABLE: return StockIcon(SIID_DRIVEREMOVE, 8, size);
    case DRIVE_REMOTE: return StockIcon(SIID_DRIVENET, 10, size);
    case DRIVE_CDROM: return StockIcon(SIID_DRIVECD, 12, size);
    case DRIVE_RAMDISK: return StockIcon(SIID_DRIVERAM, 13, size);
    default: return StockIcon(SIID_DRIVEFIXED, 9, size);
    }
}

HICON FolderIcon(bool open, int dpi) {
    return open ? StockIcon(SIID_FOLDEROPEN, 5, IconPixels(dpi)) : StockIcon(SIID_FOLDER, 4, IconPixels(dpi));
}

int DrawItemIcon(HDC dc, const RECT& box, int indent, HICON icon, int dpi) {
    const int size = IconPixels(dpi);
    const int x = box.left + IconGapPixels(dpi) + indent;
    if (icon != nullptr) {
        const int y = box.top + (box.bottom - box.top - size) / 2;
        ::DrawIconEx(dc, x, y, icon, size, size, 0, nullptr, DI_NORMAL);
    }
    return box.left + ItemTextStart(indent, dpi);
}

int ItemTextStart(int indent, int dpi) { return IconGapPixels(dpi) + indent + IconPixels(dpi) + IconGapPixels(dpi); }

void ReleaseShellIcons() noexcept {
    const SrwLocked locked(g_icons_lock);
    for (const Loaded& loaded : g_icons) ::DestroyIcon(loaded.icon);
    g_icons.clear();
    g_icons.shrink_to_fit();
}

}  // namespace selvane::win32
