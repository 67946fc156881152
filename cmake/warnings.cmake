# The warnings Selvane's own code is held to, set per target so that GoogleTest builds with its own.
# SELVANE_WERROR makes them errors: `make test` and CI turn it on, a build by hand leaves it off.
option(SELVANE_WERROR "Treat warnings in Selvane's own targets as errors" OFF)

# selvane_warnings(<target>...)
function(selvane_warnings)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    return()
  endif()
  set(flags -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion)
  if(SELVANE_WERROR)
    list(APPEND flags -Werror)
  endif()
  foreach(target IN LISTS ARGN)
    # C++ only: windres, which compiles the targets' .rc files, takes no -W options.
    target_compile_options(${target} PRIVATE "$<$<COMPILE_LANGUAGE:CXX>:${flags}>")
  endforeach()
endfunction()
