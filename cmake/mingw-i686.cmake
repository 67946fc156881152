# 32-bit Windows with mingw-w64.
set(SELVANE_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
