# Writes OUTPUT: a C++ source that holds the product's three texture pictures as byte arrays, so a
# program can draw the real scene without any file beside it. Run with -DOUTPUT=... -DPICTURES=a;b;c.
set(body "// Generated from assets/pictures by cmake/EmbedPictures.cmake: do not edit.\n#include <cstddef>\n\n")
set(n 1)
foreach(picture IN LISTS PICTURES)
  file(READ "${picture}" hex HEX)
  string(LENGTH "${hex}" hex_length)
  math(EXPR size "${hex_length} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  # Lines of 32 bytes keep the file readable by editors and compilers alike.
  string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){32})" "\\1\n" bytes "${bytes}")
  string(APPEND body "extern const unsigned char kBuiltinPicture${n}[${size}] = {\n${bytes}\n};\n")
  string(APPEND body "extern const std::size_t kBuiltinPicture${n}Size = ${size};\n\n")
  math(EXPR n "${n} + 1")
endforeach()
file(WRITE "${OUTPUT}.tmp" "${body}")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
