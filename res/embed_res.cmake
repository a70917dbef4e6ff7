# Turns the compiled resource file into a C++ source defining plat::kSaverRes (cmake -P).

#   cmake -DIN=saver.res -DOUT=saver_res_blob.cpp -P embed_res.cmake
# The bytes become adjacent string literals of \x escapes, 64 bytes per line: compilers read that
# far faster than a brace list of several million numbers.
if(NOT DEFINED IN OR NOT DEFINED OUT)
  message(FATAL_ERROR "embed_res.cmake: IN and OUT are required")
endif()
file(SIZE ${IN} size)
file(READ ${IN} hex HEX)
string(REPEAT "[0-9a-f]" 128 line)
string(REGEX REPLACE "(${line})" "\\1|" hex "${hex}")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" hex "${hex}")
string(REPLACE "|" "\"\n\"" hex "${hex}")
file(WRITE ${OUT}.tmp
     "// Generated from saver.res by embed_res.cmake; do not edit.\n"
     "#include \"platform/common/ResBlob.h\"\n\nnamespace plat {\n\n"
     "// The literal's own terminating NUL is not part of the file.\n"
     "alignas(4) const unsigned char kSaverRes[${size} + 1] =\n\"${hex}\";\n"
     "const std::size_t kSaverResSize = ${size};\n\n}  // namespace plat\n")
file(RENAME ${OUT}.tmp ${OUT})
