// The screenshot helper captures the X display, with what the test's windows painted.
#include "demo/screenshot.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "win32/handles.h"

namespace selvane::testing {

using namespace screenshots;
namespace {

std::vector<unsigned char> ReadWhole(const std::wstring& unix_path) {
    const std::wstring path = WindowsPathOf(unix_path);
    std::ifstream file(path.c_str(), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::uint32_t BigEndian32(const std::vector<unsigned char>& bytes, size_t at) {
    return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
           (std::uint32_t{bytes[at + 2]} << 8) | bytes[at + 3];
}

std::int32_t LittleEndian32(const std::vector<unsigned char>& bytes, size_t at) {
    return static_cast<std::int32_t>(std::uint32_t{bytes[at]} | (std::uint32_t{bytes[at + 1]} << 8) |
                                     (std::uint32_t{bytes[at + 2]} << 16) |
                                     (std::uint32_t{bytes[at + 3]} << 24));
}

// The colour at (x, y) of a bottom-up 24-bit BMP, or 0xFFFFFFFF when it isn't one.
COLORREF PixelOfBmp(const std::vector<unsigned char>& bmp, int x, int y) {
    constexpr COLORREF kNotABmp = 0xFFFFFFFF;
    if (bmp.size() < 54 || bmp[0] != 'B' || bmp[1] != 'M') return kNotABmp;
    const std::int32_t offset = LittleEndian32(bmp, 10);
    const std::int32_t width = LittleEndian32(bmp, 18);
    const std::int32_t height = LittleEndian32(bmp, 22);
    const int bits = bmp[28] | (bmp[29] << 8);
    if (bits != 24 || height <= 0 || x >= width || y >= height) return kNotABmp;
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    const size_t at = static_cast<size_t>(offset) + static_cast<size_t>(height - 1 - y) * stride + static_cast<size_t>(x) * 3;
    if (at + 3 > bmp.size()) return kNotABmp;
    return RGB(bmp[at + 2], bmp[at + 1], bmp[at]);
}

class ScreenshotTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = ArtifactsFolder();
        ASSERT_FALSE(folder_.empty()) << "SELVANE_ARTIFACTS is not set (scripts/wine-env.sh sets it)";
    }
    std::wstring folder_;
};

TEST_F(ScreenshotTest, SaveScreenshotWritesAPngOfTheWholeScreen) {
    ASSERT_TRUE(SaveScreenshot(L"screenshot_test_whole_screen"));

    const auto png = ReadWhole(folder_ + L"/screenshot_test_whole_screen.png");
    ASSERT_GE(png.size(), 24u);
    const unsigned char signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    EXPECT_TRUE(std::equal(std::begin(signature), std::end(signature), png.begin()));
    EXPECT_EQ(BigEndian32(png, 16), static_cast<std::uint32_t>(GetSystemMetrics(SM_CXSCREEN)));
    EXPECT_EQ(BigEndian32(png, 20), static_cast<std::uint32_t>(GetSystemMetrics(SM_CYSCREEN)));
}

// A top-most popup window at (100, 120), 200 by 150 pixels, filled with one colour.
class ColouredWindow {
public:
    explicit ColouredWindow(COLORREF colour) : brush_(CreateSolidBrush(colour)) {
        WNDCLASSW window_class{};
        window_class.lpfnWndProc = DefWindowProcW;
        window_class.hInstance = GetModuleHandleW(nullptr);
        window_class.hbrBackground = brush_.get();
        window_class.lpszClassName = kClass;
        registered_ = RegisterClassW(&window_class) != 0;
        window_.reset(CreateWindowExW(WS_EX_TOPMOST, kClass, L"", WS_POPUP | WS_VISIBLE, 100, 120, 200, 150, nullptr,
                                      nullptr, window_class.hInstance, nullptr));
    }
    ~ColouredWindow() {
        window_.reset();
        // The brush outlives the class that paints with it.
        if (registered_) UnregisterClassW(kClass, GetModuleHandleW(nullptr));
    }
    ColouredWindow(const ColouredWindow&) = delete;
    ColouredWindow& operator=(const ColouredWindow&) = delete;

    HWND get() const { return window_.get(); }

private:
    static constexpr wchar_t kClass[] = L"SelvaneScreenshotTest";
    win32::UniqueBrush brush_;
    bool registered_ = false;
    win32::UniqueWindow window_;
};

TEST_F(ScreenshotTest, ScreenshotShowsWhatAWindowPaintedAtItsPlace) {
    constexpr COLORREF kColour = RGB(0xC0, 0x20, 0x60);
    ColouredWindow window(kColour);
    ASSERT_TRUE(window.get());

    const bool saved = SaveScreenshotTo(folder_ + L"/screenshot_test_window.bmp");
    ASSERT_TRUE(saved);
    const auto bmp = ReadWhole(folder_ + L"/screenshot_test_window.bmp");
    EXPECT_EQ(PixelOfBmp(bmp, 200, 195), kColour);   // inside the window
    EXPECT_EQ(PixelOfBmp(bmp, 100, 120), kColour);   // its top left pixel
    EXPECT_NE(PixelOfBmp(bmp, 99, 119), kColour);    // just outside
    EXPECT_NE(PixelOfBmp(bmp, 300, 270), kColour);
}

// A window's screenshot is its rectangle alone, and shows what was drawn into it a moment
// before, though nothing has waited for messages since (the tour's log, scrolled by the line it
// has just added, is such a drawing).
TEST_F(ScreenshotTest, WindowScreenshotIsTheWindowAsJustDrawn) {
    constexpr COLORREF kFirst = RGB(0xC0, 0x20, 0x60);
    constexpr COLORREF kDrawn = RGB(0x20, 0xA0, 0x40);
    ColouredWindow window(kFirst);
    ASSERT_TRUE(window.get());
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    {
        const win32::WindowDC dc(window.get());
        const win32::UniqueBrush brush(CreateSolidBrush(kDrawn));
        const RECT lower{0, 75, 200, 150};
        FillRect(dc.get(), &lower, brush.get());
    }

    ASSERT_TRUE(SaveScreenshotTo(folder_ + L"/screenshot_test_one_window.bmp", window.get()));
    const auto bmp = ReadWhole(folder_ + L"/screenshot_test_one_window.bmp");
    ASSERT_GE(bmp.size(), 54u);
    EXPECT_EQ(LittleEndian32(bmp, 18), 200);
    EXPECT_EQ(LittleEndian32(bmp, 22), 150);
    EXPECT_EQ(PixelOfBmp(bmp, 0, 0), kFirst);        // the window's top left pixel is the image's
    EXPECT_EQ(PixelOfBmp(bmp, 199, 74), kFirst);
    EXPECT_EQ(PixelOfBmp(bmp, 0, 75), kDrawn);       // drawn just before the screenshot
    EXPECT_EQ(PixelOfBmp(bmp, 199, 149), kDrawn);
}

TEST_F(ScreenshotTest, WindowsPathOfAUnixPathGoesThroughDriveZ) {
    EXPECT_EQ(WindowsPathOf(L"/bin/sh"), L"Z:\\bin\\sh");
}

}  // namespace
}  // namespace selvane::testing
