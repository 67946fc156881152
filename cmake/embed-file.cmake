# Writes OUTPUT, a C++ file whose NAMESPACE::FUNCTION() returns the bytes of INPUT.
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
string(REGEX REPLACE "(('[^']*',){16})" "\\1\n    " bytes "${bytes}")
file(WRITE "${OUTPUT}.new"
"// Generated from ${INPUT}; do not edit.\n"
"#include <string_view>\n\n"
"namespace ${NAMESPACE} {\n\n"
"namespace {\n"
"constexpr char kBytes[] = {\n    ${bytes}\n};\n"
"}  // namespace\n\n"
"std::string_view ${FUNCTION}() { return std::string_view(kBytes, sizeof(kBytes)); }\n\n"
"}  // namespace ${NAMESPACE}\n")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
