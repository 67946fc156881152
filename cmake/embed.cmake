# selvane_embed(<target> <file> <function>): compiles the file's bytes into the target, behind
# `std::string_view <function>()` (a qualified name, e.g. selvane::about::LogoGif).
function(selvane_embed target file function)
  get_filename_component(name "${file}" NAME)
  string(MAKE_C_IDENTIFIER "${name}" id)
  set(source "${CMAKE_CURRENT_BINARY_DIR}/embedded/${id}.cpp")
  string(REGEX MATCH "^(.*)::([^:]+)$" _ "${function}")
  set(namespace "${CMAKE_MATCH_1}")
  set(bare "${CMAKE_MATCH_2}")
  add_custom_command(
    OUTPUT "${source}"
    COMMAND ${CMAKE_COMMAND} -DINPUT=${file} -DOUTPUT=${source} -DNAMESPACE=${namespace} -DFUNCTION=${bare}
            -P "${PROJECT_SOURCE_DIR}/cmake/embed-file.cmake"
    DEPENDS "${file}" "${PROJECT_SOURCE_DIR}/cmake/embed-file.cmake"
    COMMENT "Embedding ${name}"
    VERBATIM)
  target_sources(${target} PRIVATE "${source}")
endfunction()
