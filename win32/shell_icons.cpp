#include "win32/shell_icons.h"

#include <shellapi.h>

#include <map>

namespace selvane::win32 {
namespace {

constexpr int kIconSize = 16;
constexpr int kGap = 3;

// Stock icons need no access to any drive or file, so drawing never waits on a device. Where
// the system gives no stock icon, shell32's own icon resource of the same picture serves.
HICON StockIcon(SHSTOCKICONID id, int shell_resource) {
    static std::map<SHSTOCKICONID, HICON> loaded;
    auto found = loaded.find(id);
    if (found != loaded.end()) return found->second;
    SHSTOCKICONINFO info{};
    info.cbSize = sizeof(info);
    HICON icon = SUCCEEDED(::SHGetStockIconInfo(id, SHGSI_ICON | SHGSI_SMALLICON, &info)) ? info.hIcon : nullptr;
    if (icon == nullptr) {
        icon = static_cast<HICON>(::LoadImageW(::GetModuleHandleW(L"shell32.dll"), MAKEINTRESOURCEW(shell_resource),
                                               IMAGE_ICON, kIconSize, kIconSize, LR_SHARED));
    }
    loaded.emplace(id, icon);
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

}  // namespace selvane::win32
