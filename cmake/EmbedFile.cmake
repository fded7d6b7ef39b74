# Writes a C++ source that returns the bytes of a file as a span.
# cmake -DINPUT=file -DOUTPUT=file.cpp -DHEADER=include/path.h -DFUNCTION=Name -P EmbedFile.cmake
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# Sixteen bytes a line keeps the generated file readable.
string(REPEAT "0x..," 16 line_pattern)
string(REGEX REPLACE "(${line_pattern})" "\\1\n    " bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
"// Generated from ${INPUT} by cmake/EmbedFile.cmake; do not edit.
#include \"${HEADER}\"

namespace zendalo {
namespace {
constexpr unsigned char kBytes[] = {
    ${bytes}
};
}  // namespace

std::span<const unsigned char> ${FUNCTION}() noexcept { return kBytes; }

}  // namespace zendalo
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
