# cmake -DINPUT=<file> -DOUTPUT=<file.cpp> -DSYMBOL=<name> -P EmbedBytes.cmake
#
# Writes a C++ source that holds the bytes of INPUT as the array
#   extern const unsigned char SYMBOL[];  extern const std::size_t SYMBOL_size;
# in namespace qm6::res::embedded. The output is rewritten only when its text
# changes, so that an unchanged input compiles nothing again.

foreach (var INPUT OUTPUT SYMBOL)
    if (NOT DEFINED ${var})
        message(FATAL_ERROR "EmbedBytes.cmake: ${var} is not set")
    endif ()
endforeach ()

file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
# Sixteen bytes a line.
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# (CMake's regular expressions have no {n}.)
string(REPEAT "0x[0-9a-f][0-9a-f]," 16 line_pattern)
string(REGEX REPLACE "(${line_pattern})" "\\1\n    " bytes "${bytes}")

set(text "// Generated from ${INPUT}; do not edit.\n#include <cstddef>\n\nnamespace qm6::res::embedded {\n\n")
string(APPEND text "extern const unsigned char ${SYMBOL}[];\nextern const std::size_t ${SYMBOL}_size;\n\n")
if (size EQUAL 0)
    string(APPEND text "const unsigned char ${SYMBOL}[] = {0};\nconst std::size_t ${SYMBOL}_size = 0;\n")
else ()
    string(APPEND text "const unsigned char ${SYMBOL}[] = {\n    ${bytes}\n};\n")
    string(APPEND text "const std::size_t ${SYMBOL}_size = ${size};\n")
endif ()
string(APPEND text "\n} // namespace qm6::res::embedded\n")

if (EXISTS "${OUTPUT}")
    file(READ "${OUTPUT}" old)
    if (old STREQUAL text)
        return()
    endif ()
endif ()
file(WRITE "${OUTPUT}" "${text}")
