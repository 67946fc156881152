#include "win32/shell_icons.h"

#include <shellapi.h>

#include <exception>
#include <vector>

#include "win32/handles.h"

namespace selvane::win32 {
namespace {

constexpr int kIconSize = 16;
constexpr int kGap = 3;

// The icons loaded so far, by stock icon, for every surface of the process. Constant-initialized,
// so no guard of the runtime's runs for them.
struct Loaded {
    SHSTOCKICONID id;
    HICON icon;
    bool owned;  // the system's stock icons are the caller's to destroy; shared resources are not
};
SRWLOCK g_icons_lock = SRWLOCK_INIT;
std::vector<Loaded> g_icons;

// Stock icons need no access to any drive or file, so drawing never waits on a device. Where
// the system gives no stock icon, shell32's own icon resource of the same picture serves.
HICON StockIcon(SHSTOCKICONID id, int shell_resource) {
    const SrwLocked locked(g_icons_lock);
    for (const Loaded& loaded : g_icons) {
        if (loaded.id == id) return loaded.icon;
    }
    SHSTOCKICONINFO info{};
    info.cbSize = sizeof(info);
    HICON icon = SUCCEEDED(::SHGetStockIconInfo(id, SHGSI_ICON | SHGSI_SMALLICON, &info)) ? info.hIcon : nullptr;
    const bool owned = icon != nullptr;
    if (icon == nullptr) {
        icon = static_cast<HICON>(::LoadImageW(::GetModuleHandleW(L"shell32.dll"), MAKEINTRESOURCEW(shell_resource),
                                               IMAGE_ICON, kIconSize, kIconSize, LR_SHARED));
    }
    try {
        g_icons.push_back({id, icon, owned});
    } catch (const std::exception&) {
        // Not kept: drawn this once, then given back.
        if (owned) ::DestroyIcon(icon);
        return nullptr;
    }
    return icon;
}

}  // namespace

HICON DriveIcon(UINT drive_type) {
    switch (drive_type) {
    case DRIVE_REMOVABLE: return StockIcon(SIID_DRIVEREMOVE, 8);
    case DRIVE_REMOTE: return StockIcon(SIID_DRIVENET, 10);
    case DRIVE_CDROM: return StockIcon(SIID_DRIVECD, 12);
    case DRIVE_RAMDISK: return StockIcon(SIID_DRIVERAM, 13);
    default: return StockIcon(SIID_DRIVEFIXED, 9);
    }
}

HICON FolderIcon(bool open) { return open ? StockIcon(SIID_FOLDEROPEN, 5) : StockIcon(SIID_FOLDER, 4); }

int DrawItemIcon(HDC dc, const RECT& box, int indent, HICON icon) {
    const int x = box.left + kGap + indent;
    if (icon != nullptr) {
        const int y = box.top + (box.bottom - box.top - kIconSize) / 2;
        ::DrawIconEx(dc, x, y, icon, kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
    }
    return box.left + ItemTextStart(indent);
}

int ItemTextStart(int indent) { return kGap + indent + kIconSize + kGap; }

void ReleaseShellIcons() noexcept {
    const SrwLocked locked(g_icons_lock);
    for (const Loaded& loaded : g_icons) {
        if (loaded.owned) ::DestroyIcon(loaded.icon);
    }
    g_icons.clear();
    g_icons.shrink_to_fit();
}

}  // namespace selvane::win32
