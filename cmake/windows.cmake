# The Windows side: the real Win32 host, the demo window and the listing benchmark.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601 _WIN32_IE=0x0800)

add_library(selvane_win32_host STATIC
  win32/win32_base.cpp
  win32/message_hooks.cpp
  win32/accessible_name.cpp
  win32/deadline.cpp
  win32/file_access.cpp
  win32/win32_file_system.cpp
  win32/win32_locale.cpp
  win32/tool_tips.cpp
  win32/child_window.cpp
  win32/shell_icons.cpp
  win32/label.cpp
  win32/text_box.cpp
  win32/type_to_find.cpp
  win32/drag_drop.cpp
  win32/list_box.cpp
  win32/drive_list.cpp
  win32/dir_list.cpp
  win32/folder_watch.cpp
  win32/folders_above.cpp
  win32/read_ahead.cpp
  win32/win32_surface.cpp
  win32/picture.cpp
  win32/win32_forms.cpp
  win32/win32_shell.cpp
)
target_link_libraries(selvane_win32_host PUBLIC selvane_logic comctl32 shell32 shlwapi mpr gdi32 user32 ole32 oleaut32 oleacc uuid)

# The control in a window of its own, printing its events.
add_executable(selvane-window demo/selvane_window.cpp)
target_link_libraries(selvane-window PRIVATE selvane_win32_host)
target_link_options(selvane-window PRIVATE -municode)

# Listing speed next to the bare enumeration (`make bench`; not a test).
add_executable(selvane-listing-benchmark bench/listing_benchmark.cpp)
target_link_libraries(selvane-listing-benchmark PRIVATE selvane_win32_host selvane_memory_host psapi)
target_link_options(selvane-listing-benchmark PRIVATE -municode)

# selvane.ocx: the control as an in-process COM server.
enable_language(RC)
# The 64-bit build embeds the 64-bit form of the type library (SYS_WIN64); all else is equal.
# The scripts that run the build's programs under Wine read from wine-arch which prefix they need.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(selvane_widl_arch -m64)
  set(selvane_wine_dlls /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
  file(WRITE ${CMAKE_BINARY_DIR}/wine-arch win64)
else()
  set(selvane_widl_arch -m32)
  set(selvane_wine_dlls /usr/lib/i386-linux-gnu/wine/i386-windows)
  file(WRITE ${CMAKE_BINARY_DIR}/wine-arch win32)
endif()
find_program(SELVANE_WIDL NAMES ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32-widl widl REQUIRED)
set(SELVANE_WINE_IDL_DIR /usr/include/wine/wine/windows CACHE PATH "Wine's .idl files (oaidl.idl), for widl")
set(SELVANE_WINE_TLB_DIR ${selvane_wine_dlls} CACHE PATH "Where stdole2.tlb lies, for widl")

# The time the type library is stamped with: SOURCE_DATE_EPOCH when set, or else the time of the
# checkout's last commit, so that the same commit gives the same library.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(SELVANE_SOURCE_TIME $ENV{SOURCE_DATE_EPOCH})
else()
  execute_process(COMMAND git -C ${PROJECT_SOURCE_DIR} log -1 --format=%ct
                  OUTPUT_VARIABLE SELVANE_SOURCE_TIME OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(NOT SELVANE_SOURCE_TIME MATCHES "^[0-9]+$")
    set(SELVANE_SOURCE_TIME 946684800)
  endif()
endif()

# The type library and the C++ declarations, both from the one IDL.
set(SELVANE_GENERATED ${CMAKE_BINARY_DIR}/generated)
set(SELVANE_TLB ${SELVANE_GENERATED}/selvane.tlb)
set(SELVANE_IDL_HEADER ${SELVANE_GENERATED}/control/com/selvane_h.h)
# The interface identifiers as definitions, for the release's include folder.
set(SELVANE_IDL_IIDS ${SELVANE_GENERATED}/control/com/selvane_i.c)
add_custom_command(
  OUTPUT ${SELVANE_TLB} ${SELVANE_IDL_HEADER} ${SELVANE_IDL_IIDS}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${SELVANE_GENERATED}/control/com
  COMMAND ${SELVANE_WIDL} ${selvane_widl_arch} -I ${SELVANE_WINE_IDL_DIR} -L ${SELVANE_WINE_TLB_DIR}
          -t -o ${SELVANE_TLB} ${PROJECT_SOURCE_DIR}/control/com/selvane.idl
  COMMAND ${PROJECT_SOURCE_DIR}/scripts/patch-typelib.sh ${SELVANE_TLB} ${SELVANE_SOURCE_TIME}
  COMMAND ${SELVANE_WIDL} ${selvane_widl_arch} -I ${SELVANE_WINE_IDL_DIR} -L ${SELVANE_WINE_TLB_DIR}
          -h -H ${SELVANE_IDL_HEADER} control/com/selvane.idl
  COMMAND ${SELVANE_WIDL} ${selvane_widl_arch} -I ${SELVANE_WINE_IDL_DIR} -L ${SELVANE_WINE_TLB_DIR}
          -u -U ${SELVANE_IDL_IIDS} control/com/selvane.idl
  # Relative, so that the header and the identifiers name no folder of the machine that made them.
  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
  DEPENDS ${PROJECT_SOURCE_DIR}/control/com/selvane.idl ${PROJECT_SOURCE_DIR}/scripts/patch-typelib.sh
  COMMENT "Type library and header from selvane.idl")
add_custom_target(selvane_idl DEPENDS ${SELVANE_TLB} ${SELVANE_IDL_HEADER} ${SELVANE_IDL_IIDS})

# The COM layer, shared by the library and by the tests that drive it from inside.
add_library(selvane_com STATIC
  control/com/com_base.cpp
  control/com/module.cpp
  control/com/exports.cpp
  control/com/class_factory.cpp
  control/com/registration.cpp
  control/com/connection_points.cpp
  control/com/selvane_control.cpp
  control/com/dispatch.cpp
  control/com/class_info.cpp
  control/com/events.cpp
  control/com/ole_object.cpp
  control/com/in_place.cpp
  control/com/ole_control.cpp
  control/com/view_object.cpp
  control/com/persist.cpp
  control/com/property_bag.cpp
  control/com/quick_activate.cpp
  control/com/guids.cpp
  ${SELVANE_IDL_HEADER}
)
add_dependencies(selvane_com selvane_idl)
target_include_directories(selvane_com PUBLIC ${SELVANE_GENERATED})
target_link_libraries(selvane_com PUBLIC selvane_win32_host comctl32 ole32 oleaut32 uuid advapi32 user32 gdi32)

# The version record's numbers, from the project's version.
file(CONFIGURE OUTPUT ${SELVANE_GENERATED}/selvane_version.h CONTENT
  "#define SELVANE_BINARY_VERSION ${PROJECT_VERSION_MAJOR}, ${PROJECT_VERSION_MINOR}, ${PROJECT_VERSION_PATCH}, 0\n")

add_library(selvane_ocx SHARED control/com/selvane.rc control/com/selvane.def control/com/thread_runtime.cpp)
set_target_properties(selvane_ocx PROPERTIES OUTPUT_NAME selvane PREFIX "" SUFFIX ".ocx")
target_include_directories(selvane_ocx PRIVATE ${SELVANE_GENERATED} ${PROJECT_SOURCE_DIR}/control/com)
set_source_files_properties(control/com/selvane.rc PROPERTIES
  OBJECT_DEPENDS "${SELVANE_TLB};${PROJECT_SOURCE_DIR}/control/com/toolbox.bmp")
add_dependencies(selvane_ocx selvane_idl)
target_link_libraries(selvane_ocx PRIVATE -Wl,--whole-archive selvane_com -Wl,--no-whole-archive)
# Stripped only in a release build; a Debug or RelWithDebInfo one keeps its symbols for a debugger.
# The link map shows which objects of the runtime came in: none of winpthreads may.
set(SELVANE_OCX_MAP ${CMAKE_BINARY_DIR}/selvane.map)
target_link_options(selvane_ocx PRIVATE -Wl,--enable-stdcall-fixup -Wl,-Map=${SELVANE_OCX_MAP} $<$<CONFIG:Release>:-s>)
add_custom_command(TARGET selvane_ocx POST_BUILD
  COMMAND ${CMAKE_COMMAND} -DMAP=${SELVANE_OCX_MAP} -P ${PROJECT_SOURCE_DIR}/cmake/link-map.cmake
  COMMENT "selvane.ocx links no winpthreads")

# The assembly manifest beside selvane.ocx, for use without registration: a program whose own
# manifest names the assembly finds this file in its folder by the assembly's name.
set(SELVANE_ASSEMBLY Selvane.Control)
set(SELVANE_ASSEMBLY_VERSION ${PROJECT_VERSION}.0)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(selvane_assembly_arch amd64)
else()
  set(selvane_assembly_arch x86)
endif()
set(SELVANE_ASSEMBLY_MANIFEST ${CMAKE_BINARY_DIR}/${SELVANE_ASSEMBLY}.manifest)
add_custom_command(
  OUTPUT ${SELVANE_ASSEMBLY_MANIFEST}
  COMMAND ${CMAKE_COMMAND} -DIDL=${PROJECT_SOURCE_DIR}/control/com/selvane.idl
          -DMODULE_HEADER=${PROJECT_SOURCE_DIR}/control/com/module.h -DASSEMBLY=${SELVANE_ASSEMBLY}
          -DVERSION=${SELVANE_ASSEMBLY_VERSION} -DARCH=${selvane_assembly_arch} -DOUT=${SELVANE_ASSEMBLY_MANIFEST}
          -P ${PROJECT_SOURCE_DIR}/cmake/manifest.cmake
  DEPENDS ${PROJECT_SOURCE_DIR}/control/com/selvane.idl ${PROJECT_SOURCE_DIR}/control/com/module.h
          ${PROJECT_SOURCE_DIR}/cmake/manifest.cmake ${PROJECT_SOURCE_DIR}/cmake/identifiers.cmake
  COMMENT "Assembly manifest ${SELVANE_ASSEMBLY}.manifest")
add_custom_target(selvane_assembly_manifest ALL DEPENDS ${SELVANE_ASSEMBLY_MANIFEST})
add_dependencies(selvane_ocx selvane_assembly_manifest)
# The sample application manifest, naming the assembly by this version: the copy that the
# registration-free demo embeds and that a release ships.
file(READ ${PROJECT_SOURCE_DIR}/docs/selvane-app.manifest selvane_app_manifest)
string(REGEX REPLACE "(name=\"${SELVANE_ASSEMBLY}\" version=)\"[0-9.]+\"" "\\1\"${SELVANE_ASSEMBLY_VERSION}\""
       selvane_app_manifest "${selvane_app_manifest}")
set(SELVANE_APP_MANIFEST ${SELVANE_GENERATED}/selvane-app.manifest)
file(CONFIGURE OUTPUT ${SELVANE_APP_MANIFEST} CONTENT "${selvane_app_manifest}" @ONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/selvane-app.manifest)

# The demo host
# selvane-demo: an application hosting selvane.ocx by its ProgID in an AtlAxWin window of atl.dll,
# as a developer's own program would, knowing only the registry and the type library (`make demo`).
# It saves its tour's screenshot with demo/screenshot.cpp, which the Windows tests use too.
add_library(selvane_demo_host OBJECT
  demo/selvane_demo.cpp
  demo/atl_container.cpp
  demo/com_client.cpp
  demo/screenshot.cpp
)
add_dependencies(selvane_demo_host selvane_idl)
target_include_directories(selvane_demo_host PRIVATE ${SELVANE_GENERATED} ${PROJECT_SOURCE_DIR})
target_compile_definitions(selvane_demo_host PRIVATE
  SELVANE_SCREENSHOT_SCRIPT="${PROJECT_SOURCE_DIR}/scripts/screenshot.sh")
add_executable(selvane-demo $<TARGET_OBJECTS:selvane_demo_host> demo/selvane_demo.rc)
set_source_files_properties(demo/selvane_demo.rc PROPERTIES OBJECT_DEPENDS ${PROJECT_SOURCE_DIR}/demo/selvane_demo.manifest)
# The same program with docs/selvane-app.manifest as its own: it uses selvane.ocx through the
# assembly manifest beside it, with nothing in the registry.
add_executable(selvane-demo-regfree $<TARGET_OBJECTS:selvane_demo_host> demo/selvane_demo_regfree.rc)
set_source_files_properties(demo/selvane_demo_regfree.rc PROPERTIES OBJECT_DEPENDS ${SELVANE_APP_MANIFEST})
target_include_directories(selvane-demo-regfree PRIVATE ${SELVANE_GENERATED})
foreach(demo IN ITEMS selvane-demo selvane-demo-regfree)
  target_link_libraries(${demo} PRIVATE comctl32 ole32 oleaut32 uuid gdi32 user32)
  target_link_options(${demo} PRIVATE -municode)
endforeach()
# End of the demo host

selvane_warnings(selvane_win32_host selvane-window selvane-listing-benchmark selvane_com selvane_ocx
                 selvane_demo_host selvane-demo selvane-demo-regfree)

# The installer's sources for this bitness (scripts/make-msi.sh builds the package from them):
# the product and its registry rows from the same identifiers as the registration code, and the
# icon that Add/Remove Programs shows, drawn from the toolbox picture.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(selvane_installer_arch x64)
else()
  set(selvane_installer_arch x86)
endif()
set(SELVANE_INSTALLER ${CMAKE_BINARY_DIR}/installer/selvane-${selvane_installer_arch})
add_custom_command(
  OUTPUT ${SELVANE_INSTALLER}.wxs ${SELVANE_INSTALLER}.sql ${SELVANE_INSTALLER}-fragment.wxs ${SELVANE_INSTALLER}.reg
  COMMAND ${CMAKE_COMMAND} -DIDL=${PROJECT_SOURCE_DIR}/control/com/selvane.idl
          -DMODULE_HEADER=${PROJECT_SOURCE_DIR}/control/com/module.h -DVERSION=${PROJECT_VERSION}
          -DARCH=${selvane_installer_arch} -DOUT=${SELVANE_INSTALLER} -P ${PROJECT_SOURCE_DIR}/cmake/installer.cmake
  DEPENDS ${PROJECT_SOURCE_DIR}/control/com/selvane.idl ${PROJECT_SOURCE_DIR}/control/com/module.h
          ${PROJECT_SOURCE_DIR}/cmake/installer.cmake ${PROJECT_SOURCE_DIR}/cmake/identifiers.cmake
          ${PROJECT_SOURCE_DIR}/about/product_page.h
  COMMENT "Installer sources selvane-${selvane_installer_arch}.wxs")
find_program(SELVANE_CONVERT convert REQUIRED)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/installer/selvane.ico
  COMMAND ${SELVANE_CONVERT} ${PROJECT_SOURCE_DIR}/control/com/toolbox.bmp -transparent "srgb(192,192,192)"
          -background none -gravity north -extent 16x16 ( -clone 0 -scale 200% ) ( -clone 0 -scale 300% )
          ( -clone 0 -scale 1600% ) ${CMAKE_BINARY_DIR}/installer/selvane.ico
  DEPENDS ${PROJECT_SOURCE_DIR}/control/com/toolbox.bmp
  COMMENT "Installer icon selvane.ico" VERBATIM)
add_custom_target(selvane_installer_sources ALL
  DEPENDS ${SELVANE_INSTALLER}.wxs ${SELVANE_INSTALLER}.sql ${CMAKE_BINARY_DIR}/installer/selvane.ico)
