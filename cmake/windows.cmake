# The Windows side: the real Win32 host, the demo window and the listing benchmark.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601 _WIN32_IE=0x0800)

add_library(selvane_win32_host STATIC
  host/win32/win32_base.cpp
  host/win32/file_access.cpp
  host/win32/win32_file_system.cpp
  host/win32/win32_locale.cpp
  host/win32/tool_tips.cpp
  host/win32/child_window.cpp
  host/win32/shell_icons.cpp
  host/win32/label.cpp
  host/win32/text_box.cpp
  host/win32/list_box.cpp
  host/win32/drive_list.cpp
  host/win32/dir_list.cpp
  host/win32/win32_surface.cpp
)
target_link_libraries(selvane_win32_host PUBLIC selvane_logic comctl32 shell32 mpr gdi32 user32 ole32 oleaut32 uuid)

# The control in a window of its own, printing its events.
add_executable(selvane-window demo/selvane_window.cpp)
target_link_libraries(selvane-window PRIVATE selvane_win32_host)
target_link_options(selvane-window PRIVATE -municode)

# Listing speed next to the bare enumeration (`make bench`; not a test).
add_executable(selvane-listing-benchmark bench/listing_benchmark.cpp)
target_link_libraries(selvane-listing-benchmark PRIVATE selvane_win32_host selvane_memory_host)
target_link_options(selvane-listing-benchmark PRIVATE -municode)
