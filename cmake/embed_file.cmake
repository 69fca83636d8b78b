# Writes a C++ source holding the bytes of a file, for files the program carries inside
# itself but that other programs must be able to open as they are.
#   cmake -DINPUT=file -DOUTPUT=out.cpp -DNAMESPACE=ns -DFUNCTION=Name -P embed_file.cmake
# The source defines `std::string NAMESPACE::FUNCTION()` returning the bytes unchanged.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" hex_length)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
# Break the initialiser into lines, so compilers and editors do not choke on one line.
string(REGEX REPLACE "((('\\\\x[0-9a-f][0-9a-f]',)){32})" "\\1\n" bytes "${bytes}")
get_filename_component(input_name ${INPUT} NAME)
file(WRITE ${OUTPUT}.tmp
"// Generated at build time from ${input_name} by cmake/embed_file.cmake.
#include <string>

namespace ${NAMESPACE} {
namespace {
const char kBytes[] = {
${bytes}
};
}  // namespace

std::string ${FUNCTION}() { return std::string(kBytes, sizeof kBytes); }

}  // namespace ${NAMESPACE}
")
# Rewritten only when the bytes changed, so the library is not rebuilt for nothing.
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
