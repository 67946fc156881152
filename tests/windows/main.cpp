// The Windows tests' entry point: what every test may take for granted before it starts.
#include <windows.h>
#include <commctrl.h>
#include <fcntl.h>
#include <io.h>
#include <ole2.h>

#include <cstdio>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Text mode ends every line with CR LF. CMake's discovery drops the CR of a CR LF pair
    // when it reads the test list, but the output CTest shows of a failing test would keep it.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    // A test asking about a drive without a medium gets an error code, not a message box.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);

    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
    if (!InitCommonControlsEx(&controls)) {
        std::fprintf(stderr, "InitCommonControlsEx failed\n");
        return 1;
    }
    const HRESULT ole = OleInitialize(nullptr);
    if (FAILED(ole)) {
        std::fprintf(stderr, "OleInitialize failed: 0x%08lx\n", static_cast<unsigned long>(ole));
        return 1;
    }

    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    OleUninitialize();
    return result;
}
