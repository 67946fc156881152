# Fails when the link map MAP names an object of winpthreads: selvane.ocx answers the static
# runtime's threading calls itself (control/com/thread_runtime.cpp), and an object of winpthreads
# linked beside those answers would leave handles behind at every unload.
file(STRINGS ${MAP} linked REGEX "libwinpthread")
if(linked)
  list(GET linked 0 first)
  message(FATAL_ERROR "selvane.ocx links winpthreads, which it must not: ${first}")
endif()
