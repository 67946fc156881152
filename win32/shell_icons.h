// The system's small icons for drives and folders, loaded once and kept until the library is
// unloaded.
#pragma once

#include <windows.h>

namespace selvane::win32 {

// The icon for a drive of the given GetDriveType kind, at its size for the resolution (dpi, 96 is
// 100 %); nullptr when the system has none.
HICON DriveIcon(UINT drive_type, int dpi);
// An open folder (the current directory and the ones above it) or a closed one.
HICON FolderIcon(bool open, int dpi);

// Draws the icon, if any, at the left of the item's box, centred vertically; returns the x where
// the item's text starts.
int DrawItemIcon(HDC dc, const RECT& box, int indent, HICON icon, int dpi);
// How far right of the item's left edge DrawItemIcon starts the text, for an item indented so far.
int ItemTextStart(int indent, int dpi);

// Destroys the icons loaded so far, at unload.
void ReleaseShellIcons() noexcept;

}  // namespace selvane::win32
