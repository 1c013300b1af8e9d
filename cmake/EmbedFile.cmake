# cmake -DIN=<file> -DOUT=<source> -DNAME=<function> -P EmbedFile.cmake
# Writes a C++ source whose function NAME returns the bytes of IN.
file(READ "${IN}" _hex HEX)
string(LENGTH "${_hex}" _len)
math(EXPR _size "${_len} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," _bytes "${_hex}")
string(REGEX REPLACE "(([^,]*,){24})" "\\1\n" _bytes "${_bytes}")
file(WRITE "${OUT}.tmp" "// Generated from ${IN}\n#include <cstddef>\n#include <span>\n\nnamespace nv {\n\nnamespace {\nconst unsigned char kBytes[${_size}] = {\n${_bytes}\n};\n}\n\nstd::span<const unsigned char> ${NAME}() { return kBytes; }\n\n} // namespace nv\n")
file(RENAME "${OUT}.tmp" "${OUT}")
