# SPDX-License-Identifier: MIT
# Writes a compiled catalogue (INPUT) as a C++ array named NAME into OUTPUT.
file(READ "${INPUT}" bytes HEX)
string(LENGTH "${bytes}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${bytes}")
# Declared extern first, so that the constants keep their external linkage.
file(WRITE "${OUTPUT}" "// Generated from ${INPUT} by the build; do not edit.\n#include <cstddef>\n\n"
    "extern const unsigned char ${NAME}[];\nextern const std::size_t ${NAME}Size;\n\n"
    "const unsigned char ${NAME}[] = {\n${bytes}\n};\nconst std::size_t ${NAME}Size = ${size};\n")
