# SPDX-License-Identifier: MIT
# Writes a compiled catalogue (INPUT) as a C++ array named NAME into OUTPUT.
file(READ "${INPUT}" bytes HEX)
string(LENGTH "${bytes}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${bytes}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}" "// Generated from ${NAME}'s catalogue by the build; do not edit.\n#include <cstddef>\n\nextern const unsigned char ${NAME}[] = {\n${bytes}\n};\nextern const std::size_t ${NAME}Size = ${size};\n")
