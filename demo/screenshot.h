// Screenshots of the X display that the demo and the Windows tests run on under Wine, for a
// person to look at after a run.
#pragma once

#include <windows.h>

#include <string>

namespace selvane::screenshots {

// Saves the whole screen to $SELVANE_ARTIFACTS/<name>.png once the windows of the calling
// thread have painted their pending updates and the display shows them. Returns whether the
// file was written; it can't be outside Wine, without SELVANE_ARTIFACTS, or without an X display.
bool SaveScreenshot(const std::wstring& name);

// The same, of one window's rectangle on the screen (its frame included) rather than the whole
// screen: what a person would cut out to show that window.
bool SaveWindowScreenshot(HWND window, const std::wstring& name);

// The same to any Unix path; the image format follows its extension (".png", ".bmp"). With a
// window, only its rectangle on the screen.
bool SaveScreenshotTo(const std::wstring& unix_path, HWND window = nullptr);

// The folder SELVANE_ARTIFACTS names, as a Unix path; empty when it isn't set.
std::wstring ArtifactsFolder();

// The Windows name of a Unix path, through Wine; empty outside Wine.
std::wstring WindowsPathOf(const std::wstring& unix_path);

}  // namespace selvane::screenshots
